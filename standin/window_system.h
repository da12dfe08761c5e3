#pragma once
// The windows of the stand-in: top-level windows with their top-most and
// foreground state and a system menu each, behind the user32 calls the
// dialog makes. Menu items are looked up as Win32 does, by identifier or by
// position; only the MIIM_STATE and MIIM_ID parts of a MENUITEMINFO are kept.
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "host/text.h"
#include "host/user32.h"
#include "standin/faults.h"

namespace standin {

struct MenuItem {
  std::uint32_t id = 0;
  std::uint32_t state = 0;
  std::string text;
};

struct SentMessage {
  std::int32_t hWnd = 0;
  std::uint32_t msg = 0;
  std::int32_t wParam = 0;
  std::int32_t lParam = 0;
};

class WindowSystem final : public host::User32 {
 public:
  explicit WindowSystem(std::shared_ptr<FaultInjector> faults) : faults_(std::move(faults)) {}

  // A new hidden window with the default system menu (Move, Close).
  std::int32_t OpenWindow(const host::Text& title);
  void CloseWindow(std::int32_t hWnd);
  void SetVisible(std::int32_t hWnd, bool visible);

  bool Exists(std::int32_t hWnd) const;
  bool Visible(std::int32_t hWnd) const;
  bool TopMost(std::int32_t hWnd) const;
  std::int32_t Foreground() const { return foreground_; }
  // The system menu's Close item, whatever its identifier has become; none
  // for an unknown window.
  std::optional<MenuItem> CloseItem(std::int32_t hWnd) const;
  // Whether the title bar's close button works: an item with SC_CLOSE that
  // is neither greyed nor disabled.
  bool CloseButtonEnabled(std::int32_t hWnd) const;
  const std::vector<SentMessage>& Sent() const { return sent_; }

  std::int32_t SetWindowPos(std::int32_t hWnd, std::int32_t hWndInsertAfter, std::int32_t x, std::int32_t y,
                            std::int32_t cx, std::int32_t cy, std::uint32_t wFlags) override;
  std::int32_t SetForegroundWindow(std::int32_t hWnd) override;
  std::int32_t GetSystemMenu(std::int32_t hWnd, std::int32_t bRevert) override;
  std::int32_t GetMenuItemInfoA(std::int32_t hMenu, std::uint32_t un, std::int32_t bool_,
                                host::MENUITEMINFOA& info) override;
  std::int32_t SetMenuItemInfoA(std::int32_t hMenu, std::uint32_t un, std::int32_t bool_,
                                host::MENUITEMINFOA& info) override;
  std::int32_t SendMessageA(std::int32_t hWnd, std::uint32_t wMsg, std::int32_t wParam, std::int32_t lParam) override;

 private:
  struct Window {
    host::Text title;
    bool visible = false;
    bool topMost = false;
    std::int32_t menu = 0;
    std::vector<MenuItem> items;
    std::size_t closeSlot = 0;
  };
  Window* Find(std::int32_t hWnd);
  const Window* Find(std::int32_t hWnd) const;
  MenuItem* FindItem(std::int32_t hMenu, std::uint32_t item, bool byPosition);

  std::shared_ptr<FaultInjector> faults_;
  std::map<std::int32_t, Window> windows_;
  std::int32_t nextHandle_ = 0x00010010;
  std::int32_t foreground_ = 0;
  std::vector<SentMessage> sent_;
};

}  // namespace standin
