// The application object, its web window and the page-window list.
#include "standin/core.h"
#include "standin/live_objects.h"

namespace standin {
namespace {

using host::Ref;
using host::Variant;

class WebObject final : public host::Object, Counted {
 public:
  WebObject() : Counted("Web") {}
};

class PageWindowsObject final : public host::PageWindows, Counted {
 public:
  explicit PageWindowsObject(std::weak_ptr<Core> core) : Counted("PageWindows"), core_(std::move(core)) {}

  Ref<host::PageWindow> Item(const Variant& index) override {
    auto core = Enter(core_, "PageWindows.Item");
    if (index.IsText()) {
      if (auto page = core->FindOpenPage(index.ToText())) return core->MakePageWindow(page);
      throw host::Error(host::code::InvalidProcedureCall, u"no open page " + index.ToText());
    }
    const auto pages = core->OpenPages();
    const auto position = index.ToInt32();
    if (position < 0 || position >= static_cast<std::int32_t>(pages.size()))
      throw host::Error(host::code::InvalidProcedureCall);
    return core->MakePageWindow(pages[static_cast<std::size_t>(position)]);
  }
  std::int32_t Count() override {
    return static_cast<std::int32_t>(Enter(core_, "PageWindows.Count")->OpenPages().size());
  }

 private:
  std::weak_ptr<Core> core_;
};

class WebWindowObject final : public host::WebWindow, Counted {
 public:
  explicit WebWindowObject(std::weak_ptr<Core> core) : Counted("WebWindow"), core_(std::move(core)) {}

  Ref<host::Object> Web() override {
    auto core = Enter(core_, "WebWindow.Web");
    return core->web ? std::make_shared<WebObject>() : nullptr;
  }
  Ref<host::PageWindows> PageWindows() override {
    Enter(core_, "WebWindow.PageWindows");
    return std::make_shared<PageWindowsObject>(core_);
  }

 private:
  std::weak_ptr<Core> core_;
};

class ApplicationObject final : public host::HostApplication, Counted {
 public:
  explicit ApplicationObject(std::weak_ptr<Core> core) : Counted("Application"), core_(std::move(core)) {}

  Ref<host::PageWindow> ActivePageWindow() override {
    auto core = Enter(core_, "HostApplication.ActivePageWindow");
    return core->active ? core->MakePageWindow(core->active) : nullptr;
  }
  Ref<host::WebWindow> ActiveWebWindow() override {
    Enter(core_, "HostApplication.ActiveWebWindow");
    return std::make_shared<WebWindowObject>(core_);
  }
  Ref<host::CommandBars> CommandBars() override {
    return MakeCommandBars(Enter(core_, "HostApplication.CommandBars")->bars->State());
  }
  Ref<host::COMAddIns> COMAddIns() override { return Enter(core_, "HostApplication.COMAddIns")->MakeAddIns(); }
  host::Connection Advise(host::ApplicationEvents& sink) override {
    return Enter(core_, "HostApplication.Advise")->appReceivers.Add(sink);
  }

 private:
  std::weak_ptr<Core> core_;
};

}  // namespace

host::Ref<host::HostApplication> Core::MakeApplication() { return std::make_shared<ApplicationObject>(weak_from_this()); }

host::Ref<host::HostApplication> Core::Application() {
  Check("HostGlobals.Application");
  if (phase == Phase::Ended) throw host::Error(kHostFailure, u"the host has quit");
  return MakeApplication();
}

}  // namespace standin
