#include "mapnote/connect.h"

#include "host/messagebox.h"
#include "mapnote/box_titles.h"
#include "mapnote/library_context.h"

namespace mapnote {

using host::Deref;
using host::Text;

namespace {

const Text NoPagePrompt = u"You must have a page opened to use Tessaly.";
const Text PageInUsePrompt =
    u"You are currently editing an image map on this page.\r\n\r\n"
    u"Please finish editing the image map before closing this page.";

}  // namespace

Connect::Connect(LibraryContext& library) : library_(library) {}

Connect::~Connect() = default;

void Connect::ReleaseHostObjects() {
  p_ctlBtnEvents.Set(nullptr);
  p_ctlBtn = nullptr;
  p_ctlPopup = nullptr;
  fpApp.Set(nullptr);
  AddInInstance.Set(nullptr);
  library_.at.ReleaseHostObjects();
}
void Connect::OnPageClose(const host::Ref<host::PageWindow>& pPage, host::Bool16& Cancel) {
  fpApp_OnPageClose(pPage, Cancel);
}
void Connect::Click(const host::Ref<host::CommandBarButton>& Ctrl, host::Bool16& CancelDefault) {
  // A click can end in the add-in's disconnection, and the host then drops
  // this object; it stays whole until the handler has returned.
  const auto keepAlive = weak_from_this().lock();
  p_ctlBtnEvents_Click(Ctrl, CancelDefault);
}

void Connect::IDTExtensibility2_OnConnection(const host::Ref<host::Object>& Application,
                                             host::ext_ConnectMode /*ConnectMode*/,
                                             const host::Ref<host::Object>& AddInInst, host::Custom& /*custom*/) {
  // The guard is in force from here on, even if the menu item is not found.
  fpApp.Set(host::TakeAs<host::HostApplication>(Application));
  AddInInstance.Set(std::dynamic_pointer_cast<host::COMAddIn>(AddInInst));

  auto menuBar = Deref(fpApp->CommandBars()).Item(Text(u"menu bar"));
  p_ctlPopup = Deref(Deref(menuBar).Controls()).Item(Text(u"Zarvik"));
  p_ctlBtn = host::TakeAs<host::CommandBarButton>(Deref(host::LateControls(p_ctlPopup)).Item(Text(u"Tessaly...")));
  p_ctlBtnEvents.Set(p_ctlBtn);
}

void Connect::AddInInstance_OnDisconnection(host::ext_DisconnectMode /*RemoveMode*/, host::Custom& /*custom*/) {
  // The shared popup belongs to the menu add-in and holds every add-in's
  // item; leaving it alone keeps "Tessaly..." reachable for the next session.
  p_ctlBtnEvents.Set(nullptr);
}

void Connect::fpApp_OnPageClose(const host::Ref<host::PageWindow>& pPage, host::Bool16& Cancel) {
  // Once the session has ended, its page may close like any other.
  if (!library_.at.SessionOpen) return;
  const Text url = Deref(Deref(pPage).ActiveDocument()).URL();
  if (url != library_.at.EditedPageUrl) return;
  library_.boxes.MsgBox(PageInUsePrompt, host::mb::SystemWarning, FrontPageTitle);
  Cancel = host::True;
}

void Connect::p_ctlBtnEvents_Click(const host::Ref<host::CommandBarButton>& /*Ctrl*/, host::Bool16& /*CancelDefault*/) {
  modAT& at = library_.at;
  // A second click must not restart the session and drop the author's edits.
  if (at.SessionOpen) {
    at.BringDialogToFront();
    return;
  }
  if (!fpApp->ActivePageWindow()) {
    library_.boxes.MsgBox(NoPagePrompt, host::mb::Warning, TessalyTitle);
    return;
  }
  at.StartAreaEditing();
}

}  // namespace mapnote
