#pragma once
// Fault injection: any operation of the stand-in can be made to fail at its
// n-th call with a chosen code. A failing call throws host::Error and does
// nothing else.
//
// Operation names are "<Interface>.<Member>" after the host/ interfaces, e.g.
// "PageWindow.Activate", "CommandBarControls.Item", "COMAddIn.put_Connect",
// "HTMLElement.setAttribute", "User32.SetMenuItemInfoA", "FormView.SetFocus",
// "MessageBoxes.MsgBox". Operations() lists them all; FailAt rejects any other
// name so that a misspelt plan cannot pass silently.
#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace standin {

// What the stand-in throws for a host call that cannot be carried out
// (E_FAIL): a closed page, a deleted control, a host that has quit.
inline constexpr std::uint32_t kHostFailure = 0x80004005;

class FaultInjector {
 public:
  // The call-th call of operation, counted from 1 over the whole run, throws code.
  void FailAt(std::string_view operation, int call, std::uint32_t code);
  // Called on entry to every operation: counts the call and throws when planned.
  void Check(std::string_view operation);
  // How often the operation was entered, failing calls included.
  int Calls(std::string_view operation) const;

  static const std::vector<std::string_view>& Operations();

 private:
  struct Plan {
    int call;
    std::uint32_t code;
  };
  std::map<std::string, int, std::less<>> calls_;
  std::multimap<std::string, Plan, std::less<>> plans_;
};

}  // namespace standin
