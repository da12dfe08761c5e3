#pragma once
// The dialog's user32 calls on the real user32.
#include "host/user32.h"

namespace mapnote::win {

class WinUser32 final : public host::User32 {
 public:
  std::int32_t SetWindowPos(std::int32_t hWnd, std::int32_t hWndInsertAfter, std::int32_t x, std::int32_t y,
                            std::int32_t cx, std::int32_t cy, std::uint32_t wFlags) override;
  std::int32_t SetForegroundWindow(std::int32_t hWnd) override;
  std::int32_t GetSystemMenu(std::int32_t hWnd, std::int32_t bRevert) override;
  // The record goes to the call in the system's own layout, its text as an
  // 8-bit buffer of at least cch characters; what the call wrote comes back.
  std::int32_t GetMenuItemInfoA(std::int32_t hMenu, std::uint32_t un, std::int32_t bool_,
                                host::MENUITEMINFOA& info) override;
  std::int32_t SetMenuItemInfoA(std::int32_t hMenu, std::uint32_t un, std::int32_t bool_,
                                host::MENUITEMINFOA& info) override;
  std::int32_t SendMessageA(std::int32_t hWnd, std::uint32_t wMsg, std::int32_t wParam, std::int32_t lParam) override;
};

}  // namespace mapnote::win
