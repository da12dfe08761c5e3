#include "mapnote/win/library.h"

#include "mapnote/win/ui/win_dialog.h"
#include "mapnote/win/ui/win_messagebox.h"
#include "mapnote/win/ui/win_user32.h"

namespace mapnote::win {
namespace {

// Made at first use, so that nothing runs while the loader lock is held.
struct Ports {
  host::com::HostGlobalsSlot application;
  WinMessageBoxes boxes;
  WinDialogToolkit toolkit{ThisModule(), boxes};
  WinUser32 user32;
  LibraryContext context{application, boxes, toolkit, user32};
};

Ports& ThePorts() {
  static Ports ports;
  return ports;
}

}  // namespace

LibraryContext& Library() { return ThePorts().context; }

host::com::HostGlobalsSlot& Globals() { return ThePorts().application; }

}  // namespace mapnote::win
