#include "mapnote/win/ui/win_messagebox.h"

#include <windows.h>

namespace mapnote::win {

std::int32_t WinMessageBoxes::MsgBox(const host::Text& prompt, std::int32_t style, const host::Text& title) {
  static_assert(sizeof(wchar_t) == sizeof(char16_t));
  return ::MessageBoxW(::GetActiveWindow(), reinterpret_cast<const wchar_t*>(prompt.c_str()),
                       reinterpret_cast<const wchar_t*>(title.c_str()), static_cast<UINT>(style));
}

}  // namespace mapnote::win
