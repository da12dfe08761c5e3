#pragma once
// The area editor dialog: steps through the session's areas, takes their ALT
// texts and writes them back to the page.
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "host/application.h"
#include "host/dialog.h"
#include "host/user32.h"

namespace mapnote {

class LibraryContext;

class frmMain : public host::FormEvents, public std::enable_shared_from_this<frmMain> {
 public:
  // Builds the window, hidden and not yet loaded.
  explicit frmMain(LibraryContext& library);
  ~frmMain();
  frmMain(const frmMain&) = delete;
  frmMain& operator=(const frmMain&) = delete;

  // Runs the load handling; the library calls it once, at first reference.
  void Load() { Form_Load(); }

  host::FormView& View() { return *view_; }

  // The system menu and the dialog's record of its Close item.
  std::int32_t SystemMenuHandle = 0;
  host::MENUITEMINFOA CloseItemInfo;

 private:
  void QueryUnload(host::Int16& Cancel, host::Int16 UnloadMode) override;
  void Click(const host::ControlId& control) override;
  void LostFocus(const host::ControlId& control) override;

  void Form_Load();
  void Form_QueryUnload(host::Int16& Cancel, host::Int16 UnloadMode);
  void cmdMove_Click(host::Int16 Index);
  void cmdOK_Click();
  void cmdCancel_Click();
  void txtMapnote_LostFocus();
  std::int32_t SetCloseItemState(std::int32_t& Action);

  // The page's area elements, if the page still holds the areas the session
  // read; nullopt when it does not.
  std::optional<std::vector<host::Ref<host::HTMLElement>>> AreasIfUnchanged();

  LibraryContext& library_;
  std::unique_ptr<host::FormView> view_;
};

}  // namespace mapnote
