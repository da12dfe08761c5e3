#include "standin/faults.h"

#include <algorithm>
#include <stdexcept>

#include "host/error.h"

namespace standin {

const std::vector<std::string_view>& FaultInjector::Operations() {
  static const std::vector<std::string_view> names = {
      "HostGlobals.Application",
      "HostApplication.ActivePageWindow",
      "HostApplication.ActiveWebWindow",
      "HostApplication.CommandBars",
      "HostApplication.COMAddIns",
      "HostApplication.Advise",
      "WebWindow.Web",
      "WebWindow.PageWindows",
      "PageWindows.Item",
      "PageWindows.Count",
      "PageWindow.Document",
      "PageWindow.ActiveDocument",
      "PageWindow.Activate",
      "HTMLDocument.URL",
      "HTMLDocument.all",
      "ElementCollection.length",
      "ElementCollection.Item",
      "ElementCollection.tags",
      "HTMLElement.getAttribute",
      "HTMLElement.setAttribute",
      "HTMLElement.removeAttribute",
      "CommandBars.Item",
      "CommandBar.Name",
      "CommandBar.Controls",
      "CommandBar.FindControl",
      "CommandBarControls.Item",
      "CommandBarControls.Count",
      "CommandBarControls.Add",
      "CommandBarControl.Type",
      "CommandBarControl.Caption",
      "CommandBarControl.put_Caption",
      "CommandBarControl.Tag",
      "CommandBarControl.put_Tag",
      "CommandBarControl.OnAction",
      "CommandBarControl.put_OnAction",
      "CommandBarControl.Parameter",
      "CommandBarControl.put_Parameter",
      "CommandBarControl.Delete",
      "CommandBarControl.Execute",
      "CommandBarPopup.Controls",
      "CommandBarButton.Advise",
      "COMAddIns.Item",
      "COMAddIns.Count",
      "COMAddIn.ProgId",
      "COMAddIn.Connect",
      "COMAddIn.put_Connect",
      "COMAddIn.Advise",
      "MessageBoxes.MsgBox",
      "DialogToolkit.CreateForm",
      "FormView.GetText",
      "FormView.SetText",
      "FormView.GetEnabled",
      "FormView.SetEnabled",
      "FormView.GetValue",
      "FormView.SetDefaultButton",
      "FormView.SetFocus",
      "FormView.ShowModeless",
      "FormView.Hide",
      "FormView.Visible",
      "FormView.hWnd",
      "User32.SetWindowPos",
      "User32.SetForegroundWindow",
      "User32.GetSystemMenu",
      "User32.GetMenuItemInfoA",
      "User32.SetMenuItemInfoA",
      "User32.SendMessageA",
  };
  return names;
}

namespace {
void RequireKnown(std::string_view operation) {
  const auto& names = FaultInjector::Operations();
  if (std::find(names.begin(), names.end(), operation) == names.end())
    throw std::invalid_argument("no such stand-in operation: " + std::string(operation));
}
}  // namespace

void FaultInjector::FailAt(std::string_view operation, int call, std::uint32_t code) {
  RequireKnown(operation);
  if (call < 1) throw std::invalid_argument("calls are counted from 1");
  plans_.emplace(std::string(operation), Plan{call, code});
}

void FaultInjector::Check(std::string_view operation) {
  RequireKnown(operation);
  auto counted = calls_.find(operation);
  if (counted == calls_.end()) counted = calls_.emplace(std::string(operation), 0).first;
  const int call = ++counted->second;
  const auto [first, last] = plans_.equal_range(operation);
  for (auto plan = first; plan != last; ++plan) {
    if (plan->second.call == call) throw host::Error(plan->second.code);
  }
}

int FaultInjector::Calls(std::string_view operation) const {
  const auto counted = calls_.find(operation);
  return counted == calls_.end() ? 0 : counted->second;
}

}  // namespace standin
