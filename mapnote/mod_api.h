#pragma once
// The user32 functions the add-in declares, forwarded to the system port.
#include <cstdint>

#include "host/user32.h"

namespace mapnote {

// Size of the 8-bit MENUITEMINFO record: eleven 32-bit fields.
inline constexpr std::uint32_t MenuItemInfoSize = 11 * sizeof(std::uint32_t);

class modAPI {
 public:
  explicit modAPI(host::User32& user32) : user32_(user32) {}

  std::int32_t SetWindowPos(std::int32_t hWnd, std::int32_t hWndInsertAfter, std::int32_t x, std::int32_t y,
                            std::int32_t cx, std::int32_t cy, std::uint32_t wFlags);
  std::int32_t SetForegroundWindow(std::int32_t hWnd);
  std::int32_t GetSystemMenu(std::int32_t hWnd, std::int32_t bRevert);
  std::int32_t GetMenuItemInfoA(std::int32_t hMenu, std::uint32_t un, std::int32_t byPosition, host::MENUITEMINFOA& info);
  std::int32_t SetMenuItemInfoA(std::int32_t hMenu, std::uint32_t un, std::int32_t byPosition, host::MENUITEMINFOA& info);
  std::int32_t SendMessageA(std::int32_t hWnd, std::uint32_t wMsg, std::int32_t wParam, std::int32_t lParam);

 private:
  host::User32& user32_;
};

}  // namespace mapnote
