#pragma once
// An add-in for trying the host: it writes every call it receives into a
// shared log, and can hook a menu button and the page-close event.
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "host/addins.h"
#include "host/application.h"
#include "host/events.h"

namespace standin_test {

using Log = std::vector<std::string>;

class RecordingAddIn final : public host::IDTExtensibility2,
                             public host::CommandBarButtonEvents,
                             public host::ApplicationEvents {
 public:
  RecordingAddIn(std::string name, std::shared_ptr<Log> log) : name_(std::move(name)), log_(std::move(log)) {}
  ~RecordingAddIn() override { Write("released"); }

  // Set before connection: the button to hook, a failure to return.
  std::vector<host::Text> hookPath;  // popup caption, then button caption, on "Menu Bar"
  std::optional<std::uint32_t> failConnection;
  std::optional<std::uint32_t> failClick;
  bool cancelPageClose = false;
  bool disconnectOnClick = false;  // sets its own Connect to False, as an add-in ending its session does

  void OnConnection(const host::Ref<host::Object>& Application, host::ext_ConnectMode ConnectMode,
                    const host::Ref<host::Object>& AddInInst, host::Custom&) override {
    Write("OnConnection " + std::to_string(static_cast<int>(ConnectMode)));
    app_.Set(host::TakeAs<host::HostApplication>(Application));
    instance_.Set(host::TakeAs<host::COMAddIn>(AddInInst));
    if (failConnection) throw host::Error(*failConnection);
    if (!hookPath.empty()) {
      auto controls = app_->CommandBars()->Item(u"Menu Bar")->Controls();
      host::Ref<host::CommandBarControl> control;
      for (const auto& caption : hookPath) {
        control = controls->Item(caption);
        if (auto popup = std::dynamic_pointer_cast<host::CommandBarPopup>(control)) controls = popup->Controls();
      }
      button_.Set(host::TakeAs<host::CommandBarButton>(control));
    }
  }
  void OnDisconnection(host::ext_DisconnectMode RemoveMode, host::Custom&) override {
    Write("OnDisconnection " + std::to_string(static_cast<int>(RemoveMode)));
  }
  void OnAddInsUpdate(host::Custom&) override { Write("OnAddInsUpdate"); }
  void OnStartupComplete(host::Custom&) override { Write("OnStartupComplete"); }
  void OnBeginShutdown(host::Custom&) override { Write("OnBeginShutdown"); }

  void Click(const host::Ref<host::CommandBarButton>& Ctrl, host::Bool16&) override {
    Write("Click " + host::ToUtf8(Ctrl->Caption()));
    if (failClick) throw host::Error(*failClick);
    if (disconnectOnClick) instance_->put_Connect(host::False);
    // Still alive and able to use its members after disconnecting itself.
    Write("Click done");
  }
  void OnPageClose(const host::Ref<host::PageWindow>& pPage, host::Bool16& Cancel) override {
    Write("OnPageClose " + host::ToUtf8(pPage->ActiveDocument()->URL()));
    if (cancelPageClose) Cancel = host::True;
  }

 private:
  // The record's events, apart because their OnDisconnection has the same
  // signature as the connection interface's.
  struct InstanceEvents final : host::AddInInstanceEvents {
    explicit InstanceEvents(RecordingAddIn& owner) : owner(owner) {}
    void OnDisconnection(host::ext_DisconnectMode RemoveMode, host::Custom&) override {
      owner.Write("AddInInstance_OnDisconnection " + std::to_string(static_cast<int>(RemoveMode)));
    }
    void OnAddInsUpdate(host::Custom&) override {}
    void OnBeginShutdown(host::Custom&) override {}
    RecordingAddIn& owner;
  };

  void Write(const std::string& entry) { log_->push_back(name_ + " " + entry); }

  std::string name_;
  std::shared_ptr<Log> log_;
  InstanceEvents instanceEvents_{*this};
  host::WithEvents<host::HostApplication, host::ApplicationEvents> app_{*this};
  host::WithEvents<host::COMAddIn, host::AddInInstanceEvents> instance_{instanceEvents_};
  host::WithEvents<host::CommandBarButton, host::CommandBarButtonEvents> button_{*this};
};

}  // namespace standin_test
