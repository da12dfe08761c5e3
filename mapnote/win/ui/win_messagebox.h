#pragma once
// Message boxes on the real user32.
#include "host/messagebox.h"

namespace mapnote::win {

class WinMessageBoxes final : public host::MessageBoxes {
 public:
  // Owned by the thread's active window, so that the box is modal to it.
  std::int32_t MsgBox(const host::Text& prompt, std::int32_t style, const host::Text& title) override;
};

}  // namespace mapnote::win
