#include "mapnote/win/ui/win_dialog_keys.h"

#include <algorithm>
#include <vector>

namespace mapnote::win {
namespace {

// The dialogs live on the host's one user-interface thread. A thread_local
// with a destructor would pin the DLL until that thread ends, so that the
// library, and the host objects it holds, would outlive every release.
struct UiThreadDialogs {
  HHOOK hook = nullptr;
  std::vector<HWND> dialogs;
};
UiThreadDialogs uiThread;

HWND DialogOf(HWND target) {
  for (HWND dialog : uiThread.dialogs)
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
  if (!uiThread.hook) uiThread.hook = ::SetWindowsHookExW(WH_GETMESSAGE, OnGetMessage, nullptr, ::GetCurrentThreadId());
  if (!uiThread.hook) return false;
  uiThread.dialogs.push_back(dialog);
  return true;
}

void UnregisterDialogKeys(HWND dialog) {
  std::erase(uiThread.dialogs, dialog);
  if (uiThread.dialogs.empty() && uiThread.hook) {
    ::UnhookWindowsHookEx(uiThread.hook);
    uiThread.hook = nullptr;
  }
}

}  // namespace mapnote::win
