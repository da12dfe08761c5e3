#pragma once
// Forms as real Win32 dialogs: a modeless dialog window built from a form
// design, with its controls placed in pixels from the screen's DPI.
#include <windows.h>

#include "host/dialog.h"
#include "host/messagebox.h"

namespace mapnote::win {

// The name of the form icon in the module's resources (win_dialog.rc).
inline constexpr wchar_t kFormIconName[] = L"MAPNOTE_FORM_ICON";

class WinDialogToolkit final : public host::DialogToolkit {
 public:
  // `resources` holds the form icon; a failure thrown by an event handler
  // is shown through `failures`, as it must not leave the window procedure.
  WinDialogToolkit(HINSTANCE resources, host::MessageBoxes& failures);

  std::unique_ptr<host::FormView> CreateForm(const host::FormDesign& design, host::FormEvents& events) override;

 private:
  HINSTANCE resources_;
  host::MessageBoxes& failures_;
};

// The module this code is linked into: the DLL, or a test program.
HINSTANCE ThisModule();

}  // namespace mapnote::win
