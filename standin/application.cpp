// The application object, its web window and the page-window list.
#include "standin/core.h"

namespace standin {
namespace {

using host::Ref;
using host::Variant;

class WebObject final : public host::Object, Counted {
 public:
  WebObject() : Counted("Web") {}
};

class PageWindowsObject final : public host::PageWindows, CoreObject {
 public:
  explicit PageWindowsObject(std::weak_ptr<Core> core) : CoreObject("PageWindows", std::move(core)) {}

  Ref<host::PageWindow> Item(const Variant& index) override {
    auto core = Enter("PageWindows.Item");
    return core->MakePageWindow(ItemAt(index, core->OpenPages(), 0, host::code::InvalidProcedureCall, u"open page",
                                       [&](const host::Text& url) { return core->FindOpenPage(url); }));
  }
  std::int32_t Count() override {
    return static_cast<std::int32_t>(Enter("PageWindows.Count")->OpenPages().size());
  }
};

class WebWindowObject final : public host::WebWindow, CoreObject {
 public:
  explicit WebWindowObject(std::weak_ptr<Core> core) : CoreObject("WebWindow", std::move(core)) {}

  Ref<host::Object> Web() override {
    auto core = Enter("WebWindow.Web");
    return core->web ? std::make_shared<WebObject>() : nullptr;
  }
  Ref<host::PageWindows> PageWindows() override {
    Enter("WebWindow.PageWindows");
    return std::make_shared<PageWindowsObject>(core_);
  }
};

class ApplicationObject final : public host::HostApplication, CoreObject {
 public:
  explicit ApplicationObject(std::weak_ptr<Core> core) : CoreObject("Application", std::move(core)) {}

  Ref<host::PageWindow> ActivePageWindow() override {
    auto core = Enter("HostApplication.ActivePageWindow");
    return core->active ? core->MakePageWindow(core->active) : nullptr;
  }
  Ref<host::WebWindow> ActiveWebWindow() override {
    Enter("HostApplication.ActiveWebWindow");
    return std::make_shared<WebWindowObject>(core_);
  }
  Ref<host::CommandBars> CommandBars() override {
    return MakeCommandBars(Enter("HostApplication.CommandBars")->bars->State());
  }
  Ref<host::COMAddIns> COMAddIns() override { return Enter("HostApplication.COMAddIns")->MakeAddIns(); }
  host::Connection Advise(host::ApplicationEvents& sink) override {
    return Enter("HostApplication.Advise")->appReceivers.Add(sink);
  }
};

}  // namespace

host::Ref<host::HostApplication> Core::MakeApplication() { return std::make_shared<ApplicationObject>(weak_from_this()); }

host::Ref<host::HostApplication> Core::Application() {
  Check("HostGlobals.Application");
  if (phase == Phase::Ended) throw host::Error(kHostFailure, u"the host has quit");
  return MakeApplication();
}

}  // namespace standin
