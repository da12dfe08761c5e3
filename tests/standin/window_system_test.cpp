// The windows behind the dialog's user32 calls, above all the system menu's
// Close item as GetMenuItemInfoA and SetMenuItemInfoA see it by identifier.
#include <gtest/gtest.h>

#include "host/error.h"
#include "standin/window_system.h"

namespace {

using host::MENUITEMINFOA;
namespace win = host::win;

constexpr std::uint32_t kMinusTen = static_cast<std::uint32_t>(-10);

MENUITEMINFOA Record(std::uint32_t mask) {
  MENUITEMINFOA info;
  info.cbSize = 44;
  info.fMask = mask;
  info.dwTypeData = std::string(80, '\0');
  info.cch = 80;
  return info;
}

class Windows : public ::testing::Test {
 protected:
  std::shared_ptr<standin::FaultInjector> faults = std::make_shared<standin::FaultInjector>();
  standin::WindowSystem windows{faults};
  std::int32_t hWnd = windows.OpenWindow(u"Image Map ALT Text");
  std::int32_t menu = windows.GetSystemMenu(hWnd, 0);
};

TEST_F(Windows, EveryWindowHasASystemMenuWithAnEnabledCloseItem) {
  EXPECT_NE(menu, 0);
  EXPECT_EQ(windows.GetSystemMenu(hWnd, 0), menu);
  const auto other = windows.OpenWindow(u"Other");
  EXPECT_NE(other, hWnd);
  EXPECT_NE(windows.GetSystemMenu(other, 0), menu);
  EXPECT_EQ(windows.GetSystemMenu(other + 1000, 0), 0);

  const auto close = windows.CloseItem(hWnd);
  ASSERT_TRUE(close);
  EXPECT_EQ(close->id, win::kScClose);
  EXPECT_EQ(close->state, 0u);
  EXPECT_TRUE(windows.CloseButtonEnabled(hWnd));
}

TEST_F(Windows, MenuItemsAreReadAndWrittenByIdentifier) {
  auto info = Record(win::kMiimState);
  info.fState = 77;
  EXPECT_NE(windows.GetMenuItemInfoA(menu, win::kScClose, 0, info), 0);
  EXPECT_EQ(info.fState, 0u);

  info.fState = win::kMfsGrayed | win::kMfsChecked;
  EXPECT_NE(windows.SetMenuItemInfoA(menu, win::kScClose, 0, info), 0);
  EXPECT_EQ(windows.CloseItem(hWnd)->state, 11u);
  EXPECT_FALSE(windows.CloseButtonEnabled(hWnd));

  // MIIM_ID alone changes the identifier and leaves the state.
  auto id = Record(win::kMiimId);
  id.wID = kMinusTen;
  id.fState = 0;
  EXPECT_NE(windows.SetMenuItemInfoA(menu, win::kScClose, 0, id), 0);
  EXPECT_EQ(windows.CloseItem(hWnd)->id, kMinusTen);
  EXPECT_EQ(windows.CloseItem(hWnd)->state, 11u);

  // The old identifier now names no item.
  auto stale = Record(win::kMiimState);
  stale.fState = 5;
  EXPECT_EQ(windows.GetMenuItemInfoA(menu, win::kScClose, 0, stale), 0);
  EXPECT_EQ(stale.fState, 5u);
  EXPECT_EQ(windows.SetMenuItemInfoA(menu, win::kScClose, 0, stale), 0);
  EXPECT_EQ(windows.CloseItem(hWnd)->state, 11u);

  auto current = Record(win::kMiimState | win::kMiimId);
  EXPECT_NE(windows.GetMenuItemInfoA(menu, kMinusTen, 0, current), 0);
  EXPECT_EQ(current.wID, kMinusTen);
  EXPECT_EQ(current.fState, 11u);
}

TEST_F(Windows, TheCloseButtonWorksOnlyWhileAnUngreyedItemHasTheCloseIdentifier) {
  auto id = Record(win::kMiimId);
  id.wID = kMinusTen;
  windows.SetMenuItemInfoA(menu, win::kScClose, 0, id);
  EXPECT_FALSE(windows.CloseButtonEnabled(hWnd));  // no SC_CLOSE item at all
  id.wID = win::kScClose;
  windows.SetMenuItemInfoA(menu, kMinusTen, 0, id);
  EXPECT_TRUE(windows.CloseButtonEnabled(hWnd));
}

TEST_F(Windows, ItemsCanBeChosenByPositionAndBadCallsFail) {
  auto info = Record(win::kMiimId);
  EXPECT_NE(windows.GetMenuItemInfoA(menu, 1, 1, info), 0);
  EXPECT_EQ(info.wID, win::kScClose);
  EXPECT_EQ(windows.GetMenuItemInfoA(menu, 2, 1, info), 0);
  EXPECT_EQ(windows.GetMenuItemInfoA(menu + 2, win::kScClose, 0, info), 0);
  auto small = Record(win::kMiimId);
  small.cbSize = 40;
  EXPECT_EQ(windows.GetMenuItemInfoA(menu, win::kScClose, 0, small), 0);
}

TEST_F(Windows, RevertingTheSystemMenuRestoresTheCloseItem) {
  auto info = Record(win::kMiimId | win::kMiimState);
  info.wID = kMinusTen;
  info.fState = win::kMfsGrayed;
  windows.SetMenuItemInfoA(menu, win::kScClose, 0, info);
  EXPECT_EQ(windows.GetSystemMenu(hWnd, 1), 0);
  EXPECT_EQ(windows.CloseItem(hWnd)->id, win::kScClose);
  EXPECT_EQ(windows.CloseItem(hWnd)->state, 0u);
}

TEST_F(Windows, PlacementForegroundAndMessagesAreKeptPerWindow) {
  const auto other = windows.OpenWindow(u"Other");
  EXPECT_NE(windows.SetWindowPos(hWnd, win::kHwndTopmost, 0, 0, 0, 0, win::kSwpNoMove | win::kSwpNoSize), 0);
  EXPECT_TRUE(windows.TopMost(hWnd));
  EXPECT_FALSE(windows.TopMost(other));
  EXPECT_NE(windows.SetForegroundWindow(other), 0);
  EXPECT_EQ(windows.Foreground(), other);
  EXPECT_NE(windows.SendMessageA(hWnd, win::kWmNcActivate, -1, 0), 0);
  ASSERT_EQ(windows.Sent().size(), 1u);
  EXPECT_EQ(windows.Sent()[0].hWnd, hWnd);
  EXPECT_EQ(windows.Sent()[0].msg, 0x86u);
  EXPECT_EQ(windows.Sent()[0].wParam, -1);

  windows.CloseWindow(other);
  EXPECT_EQ(windows.Foreground(), 0);
  EXPECT_EQ(windows.SetForegroundWindow(other), 0);
  EXPECT_EQ(windows.SendMessageA(other, win::kWmNcActivate, -1, 0), 0);
  EXPECT_EQ(windows.Sent().size(), 1u);
  EXPECT_FALSE(windows.CloseItem(other));
}

TEST_F(Windows, AnInjectedFailureComesBeforeTheCallTakesEffect) {
  faults->FailAt("User32.SetMenuItemInfoA", 1, 0x80004005);
  auto info = Record(win::kMiimId);
  info.wID = kMinusTen;
  EXPECT_THROW(windows.SetMenuItemInfoA(menu, win::kScClose, 0, info), host::Error);
  EXPECT_EQ(windows.CloseItem(hWnd)->id, win::kScClose);
}

}  // namespace
