#include "mapnote/mod_api.h"

namespace mapnote {

std::int32_t modAPI::SetWindowPos(std::int32_t hWnd, std::int32_t hWndInsertAfter, std::int32_t x, std::int32_t y,
                                  std::int32_t cx, std::int32_t cy, std::uint32_t wFlags) {
  return user32_.SetWindowPos(hWnd, hWndInsertAfter, x, y, cx, cy, wFlags);
}

std::int32_t modAPI::SetForegroundWindow(std::int32_t hWnd) { return user32_.SetForegroundWindow(hWnd); }

std::int32_t modAPI::GetSystemMenu(std::int32_t hWnd, std::int32_t bRevert) {
  return user32_.GetSystemMenu(hWnd, bRevert);
}

std::int32_t modAPI::GetMenuItemInfoA(std::int32_t hMenu, std::uint32_t un, std::int32_t byPosition,
                                      host::MENUITEMINFOA& info) {
  return user32_.GetMenuItemInfoA(hMenu, un, byPosition, info);
}

std::int32_t modAPI::SetMenuItemInfoA(std::int32_t hMenu, std::uint32_t un, std::int32_t byPosition,
                                      host::MENUITEMINFOA& info) {
  return user32_.SetMenuItemInfoA(hMenu, un, byPosition, info);
}

std::int32_t modAPI::SendMessageA(std::int32_t hWnd, std::uint32_t wMsg, std::int32_t wParam, std::int32_t lParam) {
  return user32_.SendMessageA(hWnd, wMsg, wParam, lParam);
}

}  // namespace mapnote
