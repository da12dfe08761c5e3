#pragma once
// The add-in's connection to the host: hooks the "Tessaly..." menu item and
// keeps the edited page open while its dialog is.
#include <memory>

#include "host/add_in.h"
#include "host/addins.h"
#include "host/application.h"
#include "host/commandbars.h"
#include "host/events.h"

namespace mapnote {

class LibraryContext;

class Connect : public host::Object,
                public host::AddIn,
                private host::ApplicationEvents,
                private host::CommandBarButtonEvents,
                public std::enable_shared_from_this<Connect> {
 public:
  explicit Connect(LibraryContext& library);
  ~Connect() override;

 private:
  void OnPageClose(const host::Ref<host::PageWindow>& pPage, host::Bool16& Cancel) override;
  void Click(const host::Ref<host::CommandBarButton>& Ctrl, host::Bool16& CancelDefault) override;

  void IDTExtensibility2_OnConnection(const host::Ref<host::Object>& Application, host::ext_ConnectMode ConnectMode,
                                      const host::Ref<host::Object>& AddInInst, host::Custom& custom) override;
  void AddInInstance_OnDisconnection(host::ext_DisconnectMode RemoveMode, host::Custom& custom) override;
  void fpApp_OnPageClose(const host::Ref<host::PageWindow>& pPage, host::Bool16& Cancel);
  void p_ctlBtnEvents_Click(const host::Ref<host::CommandBarButton>& Ctrl, host::Bool16& CancelDefault);

  // Every host object this add-in and its library hold goes back to the host.
  void ReleaseHostObjects() override;

  LibraryContext& library_;

  host::Ref<host::Object> p_ctlPopup;
  host::Ref<host::CommandBarButton> p_ctlBtn;
  host::WithEvents<host::HostApplication, host::ApplicationEvents> fpApp{*this};
  host::WithEvents<host::CommandBarButton, host::CommandBarButtonEvents> p_ctlBtnEvents{*this};

  host::WithEvents<host::COMAddIn, host::AddInInstanceEvents> AddInInstance{AddInInstanceReceiver()};
};

}  // namespace mapnote
