#include "mapnote/mod_at.h"

#include "host/messagebox.h"
#include "mapnote/box_titles.h"
#include "mapnote/frm_main.h"
#include "mapnote/frm_main_design.h"
#include "mapnote/library_context.h"
#include "mapnote/prog_id.h"

namespace mapnote {

using host::Deref;
using host::Int16;
using host::Text;

namespace {

const Text NoWebPrompt = u"There is no web currently open.\r\rPlease open a web before using this feature.";
const Text SaveFirstPrompt = u"Please save this page first. Would you like to save the page now?";
const Text NoAreasPrompt = u"No image maps found on this page.";

bool IsUnsavedUrl(const Text& url) { return url.substr(0, 7) == u"unsaved"; }

}  // namespace

void RunSaveCommand(host::HostApplication& app) {
  auto file = Deref(app.CommandBars()).Item(Text(u"File"));
  Deref(Deref(Deref(file).Controls()).Item(Text(u"&Save"))).Execute();
}

host::Text AreaStatus(Int16 currentArea, Int16 areaCount) {
  return u"Image Map Area " + host::Decimal((currentArea + Int16(1)).value()) + u" of " +
         host::Decimal(areaCount.value());
}

host::Text AreaLink(host::HTMLElement& area) {
  const host::Variant href = area.getAttribute(u"href");
  return href.IsNull() ? Text() : href.ToText();
}

host::Ref<host::ElementCollection> PageAreas(host::PageWindow& page) {
  return Deref(Deref(page.Document()).all()).tags(u"area");
}

host::Ref<host::HTMLElement> PageArea(host::PageWindow& page, Int16 index) {
  return Deref(PageAreas(page)).Item(index);
}

void modAT::StartAreaEditing() {
  // The author may answer Yes to saving as often as the page stays unsaved;
  // each answer starts over, without growing the stack.
  for (;;) {
    auto app = library_.globals.Application();
    auto& host = Deref(app);

    if (!Deref(host.ActiveWebWindow()).Web()) {
      if (library_.boxes.MsgBox(NoWebPrompt, host::mb::Warning, FrontPageTitle) == host::mb::ResultOK) {
        EndAreaEditing();
        return;
      }
    }

    EditedPageUrl = Deref(Deref(host.ActivePageWindow()).Document()).URL();

    if (IsUnsavedUrl(EditedPageUrl)) {
      if (library_.boxes.MsgBox(SaveFirstPrompt, host::mb::AskYesNo, FrontPageTitle) == host::mb::ResultYes) {
        RunSaveCommand(host);
        continue;
      }
      EndAreaEditing();
      return;
    }

    EditedPageWindow = Deref(Deref(host.ActiveWebWindow()).PageWindows()).Item(EditedPageUrl);
    const auto pageWindow = EditedPageWindow;
    auto& page = Deref(pageWindow);
    // One collection for the whole read: three host calls per area, not six.
    const auto areas = PageAreas(page);
    auto& collection = Deref(areas);
    AreaCount = Int16::From(collection.length());
    CurrentArea = 0;
    AreaLinks.Redim(AreaCount);
    AreaAlts.Redim(AreaCount);
    for (std::int32_t i = 0; i < AreaCount.value(); ++i) {
      const Int16 index = Int16::From(i);
      const auto area = collection.Item(index);
      AreaLinks[index] = AreaLink(Deref(area));
      const host::Variant alt = area->getAttribute(u"alt");
      if (!alt.IsNull()) AreaAlts[index] = alt.ToText();
    }
    UpdateMoveButtons();

    if (AreaCount == Int16(0)) {
      if (library_.boxes.MsgBox(NoAreasPrompt, host::mb::Warning, FrontPageTitle) == host::mb::ResultOK) {
        EndAreaEditing();
      }
      return;
    }

    host::FormView& view = library_.FrmMain().View();
    view.SetText(controls::txtLink, AreaLink(Deref(PageArea(page, Int16(0)))));
    view.SetText(controls::lblStatus, AreaStatus(Int16(0), AreaCount));
    if (!AreaAlts[Int16(0)].empty()) view.SetText(controls::txtMapnote, AreaAlts[Int16(0)]);
    view.ShowModeless();
    SessionOpen = true;
    BringDialogToFront();
    return;
  }
}

void modAT::BringDialogToFront() {
  host::FormView& view = library_.FrmMain().View();
  const std::int32_t hWnd = view.hWnd();
  library_.api.SetWindowPos(hWnd, host::win::kHwndTopmost, 0, 0, 0, 0, host::win::kSwpNoMove | host::win::kSwpNoSize);
  library_.api.SetForegroundWindow(hWnd);
  view.SetFocus(controls::txtMapnote);
}

void modAT::EndAreaEditing() {
  HostApp = library_.globals.Application();
  library_.FrmMain().View().Hide();
  SessionOpen = false;
  library_.ReleaseFrmMain();
  auto addIn = Deref(Deref(HostApp).COMAddIns()).Item(Text(ConnectProgId));
  Deref(addIn).put_Connect(host::False);
}

void modAT::ReleaseHostObjects() {
  SessionOpen = false;
  // Dropping the dialog closes its window; a handler of it that is running
  // keeps the instance until it returns.
  library_.ReleaseFrmMain();
  HostApp = nullptr;
  EditedPageWindow = nullptr;
}

void modAT::UpdateMoveButtons() {
  host::FormView& view = library_.FrmMain().View();
  const bool several = AreaCount != Int16(1);
  for (std::int16_t i = controls::cmdMoveFirst; i <= controls::cmdMoveLast; ++i) {
    view.SetEnabled(controls::cmdMove(i), several);
  }
  if (CurrentArea == AreaCount - Int16(1) && several) {
    view.SetEnabled(controls::cmdMove(controls::cmdMoveNext), false);
    view.SetEnabled(controls::cmdMove(controls::cmdMoveLast), false);
  } else if (CurrentArea != Int16(0)) {
    for (std::int16_t i = controls::cmdMoveFirst; i <= controls::cmdMoveLast; ++i) {
      view.SetEnabled(controls::cmdMove(i), true);
    }
  } else {
    view.SetEnabled(controls::cmdMove(controls::cmdMoveFirst), false);
    view.SetEnabled(controls::cmdMove(controls::cmdMovePrevious), false);
  }
}

}  // namespace mapnote
