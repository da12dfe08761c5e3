#pragma once
// The state of one loaded copy of the library: the module variables, the
// shared dialog instance and the ports through which it reaches the host and
// the system. The DLL keeps one for as long as it is loaded.
#include <memory>

#include "host/application.h"
#include "host/dialog.h"
#include "host/messagebox.h"
#include "host/user32.h"
#include "mapnote/mod_api.h"
#include "mapnote/mod_at.h"

namespace mapnote {

class frmMain;

class LibraryContext {
 public:
  LibraryContext(host::HostGlobals& globals, host::MessageBoxes& boxes, host::DialogToolkit& toolkit,
                 host::User32& user32);
  ~LibraryContext();
  LibraryContext(const LibraryContext&) = delete;
  LibraryContext& operator=(const LibraryContext&) = delete;

  host::HostGlobals& globals;
  host::MessageBoxes& boxes;
  host::DialogToolkit& toolkit;
  modAPI api;
  modAT at;

  // The shared dialog instance: created, and loaded, at its first reference.
  frmMain& FrmMain();
  // The instance if one exists, without creating it.
  frmMain* ExistingFrmMain() const { return frmMain_.get(); }
  // Drops the shared reference; a handler of the form that is running keeps
  // the instance alive until it returns.
  void ReleaseFrmMain();

 private:
  std::shared_ptr<frmMain> frmMain_;
};

}  // namespace mapnote
