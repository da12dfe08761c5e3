#include "mapnote/win/ui/win_dialog_keys.h"

#include <algorithm>
#include <vector>

namespace mapnote::win {
namespace {

struct ThreadDialogs {
  HHOOK hook = nullptr;
  std::vector<HWND> dialogs;
};
thread_local ThreadDialogs tls;

HWND DialogOf(HWND target) {
  for (HWND dialog : tls.dialogs)
    if (target == dialog || ::IsChild(dialog, target)) return dialog;
  return nullptr;
}

LRESULT CALLBACK OnGetMessage(int code, WPARAM removal, LPARAM lParam) {
  auto* msg = reinterpret_cast<MSG*>(lParam);
  if (code == HC_ACTION && removal == PM_REMOVE && msg->message >= WM_KEYFIRST && msg->message <= WM_KEYLAST) {
    // IsDialogMessage dispatches what it takes; the loop then sees a no-op.
    if (HWND dialog = DialogOf(msg->hwnd); dialog && ::IsDialogMessageW(dialog, msg)) {
      msg->message = WM_NULL;
      msg->wParam = 0;
      msg->lParam = 0;
    }
  }
  return ::CallNextHookEx(nullptr, code, removal, lParam);
}

}  // namespace

bool RegisterDialogKeys(HWND dialog) {
  if (!tls.hook) tls.hook = ::SetWindowsHookExW(WH_GETMESSAGE, OnGetMessage, nullptr, ::GetCurrentThreadId());
  if (!tls.hook) return false;
  tls.dialogs.push_back(dialog);
  return true;
}

void UnregisterDialogKeys(HWND dialog) {
  std::erase(tls.dialogs, dialog);
  if (tls.dialogs.empty() && tls.hook) {
    ::UnhookWindowsHookEx(tls.hook);
    tls.hook = nullptr;
  }
}

}  // namespace mapnote::win
