#pragma once
// The host's add-in list and the connection interface every add-in implements.
#include <cstdint>
#include <vector>

#include "host/events.h"
#include "host/variant.h"

namespace host {

enum class ext_ConnectMode : std::int32_t { ext_cm_AfterStartup = 0, ext_cm_Startup = 1, ext_cm_External = 2, ext_cm_CommandLine = 3 };
enum class ext_DisconnectMode : std::int32_t { ext_dm_HostShutdown = 0, ext_dm_UserClosed = 1 };

// The array of variants that the host passes and no add-in reads.
using Custom = std::vector<Variant>;

// Events of the host's record of an add-in.
class AddInInstanceEvents {
 public:
  virtual void OnDisconnection(ext_DisconnectMode RemoveMode, Custom& custom) = 0;
  virtual void OnAddInsUpdate(Custom& custom) = 0;
  virtual void OnBeginShutdown(Custom& custom) = 0;

 protected:
  ~AddInInstanceEvents() = default;
};

class COMAddIn : public Object {
 public:
  virtual Text ProgId() = 0;
  virtual Bool16 Connect() = 0;
  // False disconnects the add-in and releases it; True connects it.
  virtual void put_Connect(Bool16 value) = 0;
  virtual Connection Advise(AddInInstanceEvents& sink) = 0;
};

class COMAddIns : public Object {
 public:
  // By ProgID, or by 1-based position.
  virtual Ref<COMAddIn> Item(const Variant& index) = 0;
  virtual std::int32_t Count() = 0;
};

// Called by the host in this order: OnConnection; OnStartupComplete,
// OnAddInsUpdate, OnBeginShutdown; OnDisconnection. A failure is thrown.
class IDTExtensibility2 {
 public:
  virtual ~IDTExtensibility2() = default;
  virtual void OnConnection(const Ref<Object>& Application, ext_ConnectMode ConnectMode,
                            const Ref<Object>& AddInInst, Custom& custom) = 0;
  virtual void OnDisconnection(ext_DisconnectMode RemoveMode, Custom& custom) = 0;
  virtual void OnAddInsUpdate(Custom& custom) = 0;
  virtual void OnStartupComplete(Custom& custom) = 0;
  virtual void OnBeginShutdown(Custom& custom) = 0;
};

}  // namespace host
