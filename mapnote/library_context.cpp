#include "mapnote/library_context.h"

#include "mapnote/frm_main.h"

namespace mapnote {

LibraryContext::LibraryContext(host::HostGlobals& globals, host::MessageBoxes& boxes, host::DialogToolkit& toolkit,
                               host::User32& user32)
    : globals(globals), boxes(boxes), toolkit(toolkit), api(user32), at(*this) {}

LibraryContext::~LibraryContext() = default;

frmMain& LibraryContext::FrmMain() {
  if (!frmMain_) {
    // A load that fails leaves no instance behind, so the next reference
    // loads a fresh one.
    auto form = std::make_shared<frmMain>(*this);
    form->Load();
    frmMain_ = std::move(form);
  }
  return *frmMain_;
}

void LibraryContext::ReleaseFrmMain() { frmMain_.reset(); }

}  // namespace mapnote
