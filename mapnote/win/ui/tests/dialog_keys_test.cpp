// Tab, Enter and Escape in the area dialog, with a message loop that knows
// nothing of dialogs (the host's).
#include <gtest/gtest.h>

#include "mapnote/frm_main_design.h"
#include "mapnote/win/ui/tests/test_window.h"

namespace mapnote::win::testing {
namespace {

using mapnote::controls::cmdMove;

class DialogKeys : public ::testing::Test {
 protected:
  DialogKeys() : windows(ControlWindows(*dialog.view, FrmMainDesign())) {
    dialog.view->ShowModeless();
    ::SetForegroundWindow(dialog.hwnd());
    Pump();
  }

  std::string Named(HWND hwnd) const {
    for (const auto& [name, control] : windows)
      if (control == hwnd) return name;
    return "?";
  }

  LONG ButtonKind(const char* control) const { return ::GetWindowLongW(windows.at(control), GWL_STYLE) & BS_TYPEMASK; }

  TestDialog dialog{FrmMainDesign()};
  std::map<std::string, HWND> windows;
};

TEST_F(DialogKeys, TabFollowsTheTabIndexesAndSkipsLabelsAndTheFrame) {
  std::vector<std::string> order;
  HWND at = windows.at("cmdOK");
  for (int i = 0; i < 10; ++i, at = ::GetNextDlgTabItem(dialog.hwnd(), at, FALSE)) order.push_back(Named(at));
  EXPECT_EQ(order, (std::vector<std::string>{"cmdOK", "cmdCancel", "txtLink", "txtMapnote", "cmdMove(0)",
                                             "cmdMove(1)", "cmdMove(2)", "cmdMove(3)", "chkSave", "cmdOK"}));

  dialog.view->SetFocus(controls::cmdOK);
  ASSERT_EQ(Named(::GetFocus()), "cmdOK");
  PressKey(VK_TAB);
  EXPECT_EQ(Named(::GetFocus()), "cmdCancel") << "the Tab key itself moves the focus";
}

TEST_F(DialogKeys, EscapeRunsCancelAndEnterTheDefaultButton) {
  dialog.view->SetFocus(controls::txtMapnote);
  ASSERT_EQ(Named(::GetFocus()), "txtMapnote");

  PressKey(VK_ESCAPE);
  EXPECT_EQ(dialog.events.clicks, std::vector<std::string>{"cmdCancel"});

  PressKey(VK_RETURN);
  EXPECT_EQ(dialog.events.clicks, (std::vector<std::string>{"cmdCancel", "cmdMove(2)"}));
  EXPECT_TRUE(dialog.events.unloadModes.empty());
}

TEST_F(DialogKeys, TheDefaultButtonMovesAtRunTime) {
  EXPECT_EQ(ButtonKind("cmdMove(2)"), BS_DEFPUSHBUTTON);
  EXPECT_EQ(ButtonKind("cmdOK"), BS_PUSHBUTTON);

  dialog.view->SetDefaultButton(controls::cmdOK);
  EXPECT_EQ(ButtonKind("cmdOK"), BS_DEFPUSHBUTTON);
  EXPECT_EQ(ButtonKind("cmdMove(2)"), BS_PUSHBUTTON);

  dialog.view->SetFocus(controls::txtMapnote);
  PressKey(VK_RETURN);
  EXPECT_EQ(dialog.events.clicks, std::vector<std::string>{"cmdOK"});
  ::SendMessageW(dialog.hwnd(), WM_COMMAND, IDOK, 0);  // Enter in its other form
  EXPECT_EQ(dialog.events.clicks, (std::vector<std::string>{"cmdOK", "cmdOK"}));
  EXPECT_THROW(dialog.view->SetDefaultButton(controls::txtLink), host::Error) << "not a button";
}

TEST_F(DialogKeys, DisabledButtonsIgnoreEnterAndEscapeAndGiveUpTheFocus) {
  dialog.view->SetFocus(cmdMove(2));
  dialog.view->SetEnabled(cmdMove(2), false);
  EXPECT_EQ(Named(::GetFocus()), "cmdMove(3)") << "the focus moves on to the next control";
  dialog.view->SetEnabled(controls::cmdCancel, false);

  dialog.view->SetFocus(controls::txtMapnote);
  PressKey(VK_RETURN);
  PressKey(VK_ESCAPE);
  EXPECT_TRUE(dialog.events.clicks.empty());
}

TEST_F(DialogKeys, KeysStillReachADialogWhenAnotherOneGoes) {
  {
    TestDialog second(FrmMainDesign());
    second.view->ShowModeless();
  }
  ::SetForegroundWindow(dialog.hwnd());
  dialog.view->SetFocus(controls::txtMapnote);
  PressKey(VK_ESCAPE);
  EXPECT_EQ(dialog.events.clicks, std::vector<std::string>{"cmdCancel"});
}

}  // namespace
}  // namespace mapnote::win::testing
