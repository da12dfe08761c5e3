// The user32 port on the real user32: the menu record's marshalling above all.
#include "mapnote/win/ui/win_user32.h"

#include <gtest/gtest.h>
#include <windows.h>

namespace mapnote::win {
namespace {

// The port speaks in the values of the system headers, whose macros hide its own names here.

std::int32_t Handle32(const void* h) { return static_cast<std::int32_t>(reinterpret_cast<std::intptr_t>(h)); }

class MenuRecord : public ::testing::Test {
 protected:
  MenuRecord() { ::AppendMenuA(menu, MF_STRING, 42, "Properties"); }
  ~MenuRecord() override { ::DestroyMenu(menu); }

  host::MENUITEMINFOA Record(std::uint32_t mask) const {
    host::MENUITEMINFOA r;
    r.cbSize = 44;
    r.fMask = mask;
    r.dwTypeData = std::string(80, '\0');
    r.cch = 80;
    return r;
  }

  HMENU menu = ::CreatePopupMenu();
  WinUser32 user32;
};

TEST_F(MenuRecord, GetCopiesBackWhatTheCallWroteIntoTheEightBitBuffer) {
  host::MENUITEMINFOA r = Record(MIIM_STATE | MIIM_ID | MIIM_STRING);
  ASSERT_NE(user32.GetMenuItemInfoA(Handle32(menu), 42, 0, r), 0);
  EXPECT_EQ(r.wID, 42u);
  EXPECT_EQ(r.cch, 10u) << "the length of the text";
  ASSERT_EQ(r.dwTypeData.size(), 80u) << "the buffer keeps its length";
  EXPECT_EQ(r.dwTypeData.substr(0, 11), std::string("Properties\0", 11));
  EXPECT_EQ(r.fState & MFS_GRAYED, 0u);

  // A record whose buffer is shorter than its cch claims cannot be written past.
  host::MENUITEMINFOA shortBuffer = Record(MIIM_STRING);
  shortBuffer.dwTypeData = "abc";
  ASSERT_NE(user32.GetMenuItemInfoA(Handle32(menu), 42, 0, shortBuffer), 0);
  EXPECT_EQ(shortBuffer.dwTypeData, "Pro");
}

TEST_F(MenuRecord, SizesOtherThanTheRecordsAreRefusedAsTheSystemRefusesThem) {
  host::MENUITEMINFOA r = Record(MIIM_STATE);
  r.cbSize = 12;
  r.fState = 77;
  EXPECT_EQ(user32.GetMenuItemInfoA(Handle32(menu), 42, 0, r), 0);
  EXPECT_EQ(r.fState, 77u) << "nothing written";
}

TEST_F(MenuRecord, SetChangesTheIdentifierAndTheState) {
  host::MENUITEMINFOA r = Record(MIIM_ID);
  r.wID = static_cast<std::uint32_t>(-10);
  ASSERT_NE(user32.SetMenuItemInfoA(Handle32(menu), 42, 0, r), 0);
  EXPECT_EQ(::GetMenuState(menu, 42, MF_BYCOMMAND), static_cast<UINT>(-1));

  r.fMask = MIIM_STATE;
  r.fState = MFS_GRAYED | MFS_CHECKED;
  ASSERT_NE(user32.SetMenuItemInfoA(Handle32(menu), static_cast<std::uint32_t>(-10), 0, r), 0);
  const UINT state = ::GetMenuState(menu, static_cast<UINT>(-10), MF_BYCOMMAND);
  EXPECT_TRUE(state & MF_GRAYED);
  EXPECT_TRUE(state & MF_CHECKED);
}

TEST(User32Port, WindowCallsReachTheWindow) {
  WinUser32 user32;
  HWND hwnd = ::CreateWindowExA(0, "STATIC", "four", WS_POPUP, 0, 0, 40, 40, nullptr, nullptr, nullptr, nullptr);
  ASSERT_NE(hwnd, nullptr);
  const std::int32_t h = Handle32(hwnd);

  EXPECT_NE(user32.SetWindowPos(h, -1, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE),
            0);
  EXPECT_TRUE(::GetWindowLongW(hwnd, GWL_EXSTYLE) & WS_EX_TOPMOST) << "HWND_TOPMOST survived the 32-bit handle";
  EXPECT_EQ(user32.SendMessageA(h, WM_GETTEXTLENGTH, 0, 0), 4);
  EXPECT_EQ(user32.GetSystemMenu(h, 0), Handle32(::GetSystemMenu(hwnd, FALSE)));
  ::DestroyWindow(hwnd);
}

}  // namespace
}  // namespace mapnote::win
