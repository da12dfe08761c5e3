#include "standin/window_system.h"

namespace standin {
namespace {
constexpr std::uint32_t SC_MOVE = 61456;
constexpr std::int32_t HWND_NOTOPMOST = -2;
// Menu handles are told apart from window handles by this offset.
constexpr std::int32_t kMenuOffset = 0x00010000;

// A fixed-size dialog's system menu: Move and Close.
std::vector<MenuItem> DefaultSystemMenu() { return {{SC_MOVE, 0, "&Move"}, {host::win::kScClose, 0, "&Close\tAlt+F4"}}; }

// MENUITEMINFOA as Windows 95/NT 4 defined it, and the later one with hbmpItem.
bool ValidRecordSize(std::uint32_t cbSize) { return cbSize == 44 || cbSize == 48; }
}  // namespace

std::int32_t WindowSystem::OpenWindow(const host::Text& title) {
  const std::int32_t hWnd = nextHandle_;
  nextHandle_ += 2;
  Window window;
  window.title = title;
  window.items = DefaultSystemMenu();
  window.closeSlot = 1;
  windows_.emplace(hWnd, std::move(window));
  return hWnd;
}

void WindowSystem::CloseWindow(std::int32_t hWnd) {
  windows_.erase(hWnd);
  if (foreground_ == hWnd) foreground_ = 0;
}

void WindowSystem::SetVisible(std::int32_t hWnd, bool visible) {
  if (auto* window = Find(hWnd)) window->visible = visible;
}

bool WindowSystem::Exists(std::int32_t hWnd) const { return Find(hWnd) != nullptr; }

bool WindowSystem::Visible(std::int32_t hWnd) const {
  const auto* window = Find(hWnd);
  return window && window->visible;
}

bool WindowSystem::TopMost(std::int32_t hWnd) const {
  const auto* window = Find(hWnd);
  return window && window->topMost;
}

std::optional<MenuItem> WindowSystem::CloseItem(std::int32_t hWnd) const {
  const auto* window = Find(hWnd);
  if (!window) return std::nullopt;
  return window->items[window->closeSlot];
}

bool WindowSystem::CloseButtonEnabled(std::int32_t hWnd) const {
  const auto* window = Find(hWnd);
  if (!window) return false;
  for (const auto& item : window->items) {
    if (item.id == host::win::kScClose) return (item.state & host::win::kMfsGrayed) == 0;
  }
  return false;
}

std::int32_t WindowSystem::SetWindowPos(std::int32_t hWnd, std::int32_t hWndInsertAfter, std::int32_t, std::int32_t,
                                        std::int32_t, std::int32_t, std::uint32_t) {
  faults_->Check("User32.SetWindowPos");
  auto* window = Find(hWnd);
  if (!window) return 0;
  if (hWndInsertAfter == host::win::kHwndTopmost) window->topMost = true;
  if (hWndInsertAfter == HWND_NOTOPMOST) window->topMost = false;
  return 1;
}

std::int32_t WindowSystem::SetForegroundWindow(std::int32_t hWnd) {
  faults_->Check("User32.SetForegroundWindow");
  if (!Find(hWnd)) return 0;
  foreground_ = hWnd;
  return 1;
}

std::int32_t WindowSystem::GetSystemMenu(std::int32_t hWnd, std::int32_t bRevert) {
  faults_->Check("User32.GetSystemMenu");
  auto* window = Find(hWnd);
  if (!window) return 0;
  if (bRevert) {
    // Back to the default menu; Windows then returns no handle.
    window->items = DefaultSystemMenu();
    window->closeSlot = 1;
    window->menu = 0;
    return 0;
  }
  if (window->menu == 0) window->menu = hWnd + kMenuOffset;
  return window->menu;
}

std::int32_t WindowSystem::GetMenuItemInfoA(std::int32_t hMenu, std::uint32_t un, std::int32_t bool_,
                                            host::MENUITEMINFOA& info) {
  faults_->Check("User32.GetMenuItemInfoA");
  auto* item = FindItem(hMenu, un, bool_ != 0);
  if (!item || !ValidRecordSize(info.cbSize)) return 0;
  if (info.fMask & host::win::kMiimState) info.fState = item->state;
  if (info.fMask & host::win::kMiimId) info.wID = item->id;
  return 1;
}

std::int32_t WindowSystem::SetMenuItemInfoA(std::int32_t hMenu, std::uint32_t un, std::int32_t bool_,
                                            host::MENUITEMINFOA& info) {
  faults_->Check("User32.SetMenuItemInfoA");
  auto* item = FindItem(hMenu, un, bool_ != 0);
  if (!item || !ValidRecordSize(info.cbSize)) return 0;
  if (info.fMask & host::win::kMiimState) item->state = info.fState;
  if (info.fMask & host::win::kMiimId) item->id = info.wID;
  return 1;
}

std::int32_t WindowSystem::SendMessageA(std::int32_t hWnd, std::uint32_t wMsg, std::int32_t wParam,
                                        std::int32_t lParam) {
  faults_->Check("User32.SendMessageA");
  if (!Find(hWnd)) return 0;
  sent_.push_back({hWnd, wMsg, wParam, lParam});
  return 1;
}

WindowSystem::Window* WindowSystem::Find(std::int32_t hWnd) {
  const auto found = windows_.find(hWnd);
  return found == windows_.end() ? nullptr : &found->second;
}

const WindowSystem::Window* WindowSystem::Find(std::int32_t hWnd) const {
  const auto found = windows_.find(hWnd);
  return found == windows_.end() ? nullptr : &found->second;
}

MenuItem* WindowSystem::FindItem(std::int32_t hMenu, std::uint32_t item, bool byPosition) {
  if (hMenu == 0) return nullptr;
  for (auto& [hWnd, window] : windows_) {
    if (window.menu != hMenu) continue;
    if (byPosition) return item < window.items.size() ? &window.items[item] : nullptr;
    for (auto& entry : window.items) {
      if (entry.id == item) return &entry;
    }
    return nullptr;
  }
  return nullptr;
}

}  // namespace standin
