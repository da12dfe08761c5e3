#pragma once
// The shared-menu add-in: keeps the popup "Zarvik" on the host's main menu
// bar, with one on-demand item per add-in listed in the registry.
#include "host/addins.h"
#include "host/application.h"
#include "host/commandbars.h"
#include "host/events.h"
#include "zarvik/library_context.h"

namespace zarvik {

// The class's default interface, open to any client; the COM layer exposes
// it as a dual interface, so the member order is fixed.
class _Connect {
 public:
  virtual ~_Connect() = default;
  // The text after the first comma of an entry; the whole entry when it has none.
  virtual host::Text GetCaption(const host::Text& sRegEntry) = 0;
  // The text before the first comma; an entry without one is an invalid argument.
  virtual host::Text GetTag(const host::Text& sRegEntry) = 0;
  // Fills the popup from the registry; always False.
  virtual host::Bool16 CreateZarvikPopups() = 0;
};

class Connect : public host::Object,
                public _Connect,
                public host::IDTExtensibility2,
                private host::ApplicationEvents {
 public:
  explicit Connect(const LibraryContext& library);
  ~Connect() override;

  host::Text GetCaption(const host::Text& sRegEntry) override;
  host::Text GetTag(const host::Text& sRegEntry) override;
  host::Bool16 CreateZarvikPopups() override;

  void OnConnection(const host::Ref<host::Object>& Application, host::ext_ConnectMode ConnectMode,
                    const host::Ref<host::Object>& AddInInst, host::Custom& custom) override;
  void OnDisconnection(host::ext_DisconnectMode RemoveMode, host::Custom& custom) override;
  void OnAddInsUpdate(host::Custom& custom) override;
  void OnStartupComplete(host::Custom& custom) override;
  void OnBeginShutdown(host::Custom& custom) override;

 private:
  // The add-in instance's events share their names with the connection
  // interface's calls, so they arrive through a receiver of their own.
  class AddInInstanceReceiver : public host::AddInInstanceEvents {
   public:
    explicit AddInInstanceReceiver(Connect& owner) : owner_(owner) {}
    void OnDisconnection(host::ext_DisconnectMode RemoveMode, host::Custom& custom) override;
    void OnAddInsUpdate(host::Custom& custom) override;
    void OnBeginShutdown(host::Custom& custom) override;

   private:
    Connect& owner_;
  };

  // fpApp receives the application's events, and none is handled.
  void OnPageClose(const host::Ref<host::PageWindow>& pPage, host::Bool16& Cancel) override;

  void IDTExtensibility2_OnConnection(const host::Ref<host::Object>& Application, host::ext_ConnectMode ConnectMode,
                                      const host::Ref<host::Object>& AddInInst, host::Custom& custom);
  void IDTExtensibility2_OnDisconnection(host::ext_DisconnectMode RemoveMode, host::Custom& custom);
  void IDTExtensibility2_OnStartupComplete(host::Custom& custom);
  void IDTExtensibility2_OnAddInsUpdate(host::Custom& custom);
  void IDTExtensibility2_OnBeginShutdown(host::Custom& custom);
  void AddInInstance_OnDisconnection(host::ext_DisconnectMode RemoveMode, host::Custom& custom);
  void AddInInstance_OnAddInsUpdate(host::Custom& custom);
  void AddInInstance_OnBeginShutdown(host::Custom& custom);

  // Every host object this add-in holds goes back to the host.
  void ReleaseHostObjects();

  LibraryContext library_;

  host::Ref<host::CommandBar> cbMenuBar;
  host::Ref<host::CommandBarPopup> cbpPopup;
  host::WithEvents<host::HostApplication, host::ApplicationEvents> fpApp{*this};

  AddInInstanceReceiver addInInstanceReceiver_{*this};
  host::WithEvents<host::COMAddIn, host::AddInInstanceEvents> AddInInstance{addInInstanceReceiver_};
};

}  // namespace zarvik
