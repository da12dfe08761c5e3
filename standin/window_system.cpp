#include "standin/window_system.h"
#include <stdexcept>
namespace standin {
std::int32_t WindowSystem::OpenWindow(const host::Text&) { throw std::logic_error("not yet"); }
void WindowSystem::CloseWindow(std::int32_t) {}
void WindowSystem::SetVisible(std::int32_t, bool) {}
bool WindowSystem::Exists(std::int32_t) const { return false; }
bool WindowSystem::Visible(std::int32_t) const { return false; }
bool WindowSystem::TopMost(std::int32_t) const { return false; }
std::optional<MenuItem> WindowSystem::CloseItem(std::int32_t) const { return std::nullopt; }
bool WindowSystem::CloseButtonEnabled(std::int32_t) const { return false; }
std::int32_t WindowSystem::SetWindowPos(std::int32_t, std::int32_t, std::int32_t, std::int32_t, std::int32_t, std::int32_t, std::uint32_t) { throw std::logic_error("not yet"); }
std::int32_t WindowSystem::SetForegroundWindow(std::int32_t) { throw std::logic_error("not yet"); }
std::int32_t WindowSystem::GetSystemMenu(std::int32_t, std::int32_t) { throw std::logic_error("not yet"); }
std::int32_t WindowSystem::GetMenuItemInfoA(std::int32_t, std::uint32_t, std::int32_t, host::MENUITEMINFOA&) { throw std::logic_error("not yet"); }
std::int32_t WindowSystem::SetMenuItemInfoA(std::int32_t, std::uint32_t, std::int32_t, host::MENUITEMINFOA&) { throw std::logic_error("not yet"); }
std::int32_t WindowSystem::SendMessageA(std::int32_t, std::uint32_t, std::int32_t, std::int32_t) { throw std::logic_error("not yet"); }
}
