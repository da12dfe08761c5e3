#include "mapnote/win/ui/win_user32.h"

#include <windows.h>

#include <algorithm>
#include <cstddef>
#include <vector>

namespace mapnote::win {
namespace {

// Handles cross the port as 32-bit values, as on the 32-bit host; widening
// sign-extends them the way the system does.
HWND Window(std::int32_t h) { return reinterpret_cast<HWND>(static_cast<std::intptr_t>(h)); }
HMENU Menu(std::int32_t h) { return reinterpret_cast<HMENU>(static_cast<std::intptr_t>(h)); }
std::int32_t Handle32(const void* h) { return static_cast<std::int32_t>(reinterpret_cast<std::intptr_t>(h)); }
template <class T>
T Widened(std::uint32_t h) {
  return reinterpret_cast<T>(static_cast<std::intptr_t>(static_cast<std::int32_t>(h)));
}

// The record's size as the 32-bit caller gives it (44: the layout without
// hbmpItem; 48: with it), in this build's layout.
constexpr std::uint32_t kSizeWithoutBitmap32 = 44;
constexpr std::uint32_t kSizeWithBitmap32 = 48;
UINT NativeSize(std::uint32_t cbSize) {
  if (cbSize == kSizeWithoutBitmap32) return offsetof(::MENUITEMINFOA, hbmpItem);
  if (cbSize == kSizeWithBitmap32) return sizeof(::MENUITEMINFOA);
  return cbSize;
}

// One call's marshalled copy of a record: the text buffer never shorter than
// the cch the record claims, so the call cannot write past it.
class MarshalledItemInfo {
 public:
  explicit MarshalledItemInfo(const host::MENUITEMINFOA& info)
      : text_(std::max<std::size_t>(info.dwTypeData.size(), info.cch) + 1, '\0') {
    std::copy(info.dwTypeData.begin(), info.dwTypeData.end(), text_.begin());
    native_.cbSize = NativeSize(info.cbSize);
    native_.fMask = info.fMask;
    native_.fType = info.fType;
    native_.fState = info.fState;
    native_.wID = info.wID;
    native_.hSubMenu = Widened<HMENU>(info.hSubMenu);
    native_.hbmpChecked = Widened<HBITMAP>(info.hbmpChecked);
    native_.hbmpUnchecked = Widened<HBITMAP>(info.hbmpUnchecked);
    native_.dwItemData = info.dwItemData;
    native_.dwTypeData = info.dwTypeData.empty() && info.cch == 0 ? nullptr : text_.data();
    native_.cch = info.cch;
  }

  ::MENUITEMINFOA* get() { return &native_; }

  void CopyBack(host::MENUITEMINFOA& info) const {
    info.fMask = native_.fMask;
    info.fType = native_.fType;
    info.fState = native_.fState;
    info.wID = native_.wID;
    info.hSubMenu = static_cast<std::uint32_t>(Handle32(native_.hSubMenu));
    info.hbmpChecked = static_cast<std::uint32_t>(Handle32(native_.hbmpChecked));
    info.hbmpUnchecked = static_cast<std::uint32_t>(Handle32(native_.hbmpUnchecked));
    info.dwItemData = static_cast<std::uint32_t>(native_.dwItemData);
    info.cch = native_.cch;
    // The text keeps its length; the call may have written into it.
    if (native_.dwTypeData == text_.data())
      std::copy_n(text_.begin(), info.dwTypeData.size(), info.dwTypeData.begin());
  }

 private:
  std::vector<char> text_;
  ::MENUITEMINFOA native_{};
};

// A menu-item call on the record, and what it wrote copied back.
template <class Call>
std::int32_t WithMarshalled(host::MENUITEMINFOA& info, Call call) {
  MarshalledItemInfo marshalled(info);
  const BOOL ok = call(marshalled.get());
  marshalled.CopyBack(info);
  return ok;
}

}  // namespace

std::int32_t WinUser32::SetWindowPos(std::int32_t hWnd, std::int32_t hWndInsertAfter, std::int32_t x, std::int32_t y,
                                     std::int32_t cx, std::int32_t cy, std::uint32_t wFlags) {
  return ::SetWindowPos(Window(hWnd), Window(hWndInsertAfter), x, y, cx, cy, wFlags);
}

std::int32_t WinUser32::SetForegroundWindow(std::int32_t hWnd) { return ::SetForegroundWindow(Window(hWnd)); }

std::int32_t WinUser32::GetSystemMenu(std::int32_t hWnd, std::int32_t bRevert) {
  return Handle32(::GetSystemMenu(Window(hWnd), bRevert));
}

std::int32_t WinUser32::GetMenuItemInfoA(std::int32_t hMenu, std::uint32_t un, std::int32_t bool_,
                                         host::MENUITEMINFOA& info) {
  return WithMarshalled(info, [&](::MENUITEMINFOA* native) { return ::GetMenuItemInfoA(Menu(hMenu), un, bool_, native); });
}

std::int32_t WinUser32::SetMenuItemInfoA(std::int32_t hMenu, std::uint32_t un, std::int32_t bool_,
                                         host::MENUITEMINFOA& info) {
  return WithMarshalled(info, [&](::MENUITEMINFOA* native) { return ::SetMenuItemInfoA(Menu(hMenu), un, bool_, native); });
}

std::int32_t WinUser32::SendMessageA(std::int32_t hWnd, std::uint32_t wMsg, std::int32_t wParam, std::int32_t lParam) {
  return static_cast<std::int32_t>(::SendMessageA(Window(hWnd), wMsg, static_cast<WPARAM>(wParam), lParam));
}

}  // namespace mapnote::win
