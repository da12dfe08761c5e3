#pragma once
// The user32 calls the image-map dialog makes, with their Win32 semantics.
// Handles and fields are 32-bit, as on the 32-bit host.
#include <cstdint>
#include <string>

namespace host {

// The 8-bit form of Win32 MENUITEMINFO: eleven 32-bit fields, 44 bytes.
// dwTypeData is the text buffer the record points to.
struct MENUITEMINFOA {
  std::uint32_t cbSize = 0;
  std::uint32_t fMask = 0;
  std::uint32_t fType = 0;
  std::uint32_t fState = 0;
  std::uint32_t wID = 0;
  std::uint32_t hSubMenu = 0;
  std::uint32_t hbmpChecked = 0;
  std::uint32_t hbmpUnchecked = 0;
  std::uint32_t dwItemData = 0;
  std::string dwTypeData;
  std::uint32_t cch = 0;
};

// Win32's values under names of their own, apart from <windows.h>'s macros.
namespace win {
inline constexpr std::int32_t kHwndTopmost = -1;
inline constexpr std::uint32_t kSwpNoSize = 1;
inline constexpr std::uint32_t kSwpNoMove = 2;
inline constexpr std::uint32_t kMiimState = 1;
inline constexpr std::uint32_t kMiimId = 2;
inline constexpr std::uint32_t kMfsGrayed = 3;
inline constexpr std::uint32_t kMfsChecked = 8;
inline constexpr std::uint32_t kScClose = 61536;
inline constexpr std::uint32_t kWmNcActivate = 0x86;
}  // namespace win

class User32 {
 public:
  virtual std::int32_t SetWindowPos(std::int32_t hWnd, std::int32_t hWndInsertAfter, std::int32_t x, std::int32_t y,
                                    std::int32_t cx, std::int32_t cy, std::uint32_t wFlags) = 0;
  virtual std::int32_t SetForegroundWindow(std::int32_t hWnd) = 0;
  virtual std::int32_t GetSystemMenu(std::int32_t hWnd, std::int32_t bRevert) = 0;
  virtual std::int32_t GetMenuItemInfoA(std::int32_t hMenu, std::uint32_t un, std::int32_t bool_, MENUITEMINFOA& info) = 0;
  virtual std::int32_t SetMenuItemInfoA(std::int32_t hMenu, std::uint32_t un, std::int32_t bool_, MENUITEMINFOA& info) = 0;
  virtual std::int32_t SendMessageA(std::int32_t hWnd, std::uint32_t wMsg, std::int32_t wParam, std::int32_t lParam) = 0;

 protected:
  ~User32() = default;
};

}  // namespace host
