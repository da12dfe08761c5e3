#pragma once
// Dialog keys (Tab, Enter, Escape, arrows) for modeless dialogs inside a
// message loop that is not ours: a message hook on the thread hands each
// keyboard message meant for a registered dialog to IsDialogMessage.
#include <windows.h>

namespace mapnote::win {

// The hook is installed with the first dialog of the thread and removed with
// the last one. False when the system refused the hook.
bool RegisterDialogKeys(HWND dialog);
void UnregisterDialogKeys(HWND dialog);

}  // namespace mapnote::win
