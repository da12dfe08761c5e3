#pragma once
// The shared-menu add-in: keeps the popup "Zarvik" on the host's main menu
// bar, with one on-demand item per add-in listed in the registry.
#include "host/add_in.h"
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
                public host::AddIn,
                private host::ApplicationEvents {
 public:
  explicit Connect(const LibraryContext& library);
  ~Connect() override;

  host::Text GetCaption(const host::Text& sRegEntry) override;
  host::Text GetTag(const host::Text& sRegEntry) override;
  host::Bool16 CreateZarvikPopups() override;

 private:
  // fpApp receives the application's events, and none is handled.
  void OnPageClose(const host::Ref<host::PageWindow>& pPage, host::Bool16& Cancel) override;

  void IDTExtensibility2_OnConnection(const host::Ref<host::Object>& Application, host::ext_ConnectMode ConnectMode,
                                      const host::Ref<host::Object>& AddInInst, host::Custom& custom) override;
  void IDTExtensibility2_OnBeginShutdown(host::Custom& custom) override;

  // Every host object this add-in holds goes back to the host.
  void ReleaseHostObjects() override;

  LibraryContext library_;

  host::Ref<host::CommandBar> cbMenuBar;
  host::Ref<host::CommandBarPopup> cbpPopup;
  host::WithEvents<host::HostApplication, host::ApplicationEvents> fpApp{*this};

  host::WithEvents<host::COMAddIn, host::AddInInstanceEvents> AddInInstance{AddInInstanceReceiver()};
};

}  // namespace zarvik
