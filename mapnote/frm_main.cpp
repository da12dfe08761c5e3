#include "mapnote/frm_main.h"

#include "host/messagebox.h"
#include "mapnote/box_titles.h"
#include "mapnote/frm_main_design.h"
#include "mapnote/library_context.h"

namespace mapnote {

using host::Deref;
using host::Int16;
using host::Text;

namespace {

// The system menu's Close item under its own identifier, and under the one
// that takes it out of the system's reach.
constexpr std::uint32_t CloseItemId = host::win::kScClose;
constexpr std::uint32_t DisabledCloseItemId = static_cast<std::uint32_t>(-10);

bool AllBitsSet(std::uint32_t state, std::uint32_t bits) { return (state & bits) == bits; }

void ToggleBits(std::uint32_t& state, std::uint32_t bits) {
  if (AllBitsSet(state, bits)) {
    state -= bits;
  } else {
    state |= bits;
  }
}

const Text PageChangedPrompt =
    u"The image map on this page has changed since editing began. No ALT text was written.";

}  // namespace

frmMain::frmMain(LibraryContext& library)
    : library_(library), view_(library.toolkit.CreateForm(FrmMainDesign(), *this)) {}

frmMain::~frmMain() = default;

void frmMain::QueryUnload(Int16& Cancel, Int16 UnloadMode) { Form_QueryUnload(Cancel, UnloadMode); }

void frmMain::Click(const host::ControlId& control) {
  // OK and Cancel end the session, which drops the shared instance; the
  // handler still runs on it until it returns.
  const auto keepAlive = shared_from_this();
  if (control.name == "cmdMove") {
    cmdMove_Click(Int16(control.index));
  } else if (control == controls::cmdOK) {
    cmdOK_Click();
  } else if (control == controls::cmdCancel) {
    cmdCancel_Click();
  }
}

void frmMain::LostFocus(const host::ControlId& control) {
  if (control == controls::txtMapnote) txtMapnote_LostFocus();
}

void frmMain::Form_Load() {
  auto& api = library_.api;
  const std::int32_t hWnd = view_->hWnd();
  SystemMenuHandle = api.GetSystemMenu(hWnd, 0);

  CloseItemInfo.cbSize = MenuItemInfoSize;
  CloseItemInfo.dwTypeData = std::string(80, '\0');
  CloseItemInfo.cch = 80;
  CloseItemInfo.fMask = host::win::kMiimState;
  CloseItemInfo.wID = CloseItemId;
  api.GetMenuItemInfoA(SystemMenuHandle, CloseItemInfo.wID, 0, CloseItemInfo);

  std::int32_t action = 1;
  if (SetCloseItemState(action) != 0) {
    ToggleBits(CloseItemInfo.fState, host::win::kMfsGrayed);
    CloseItemInfo.fMask = host::win::kMiimState;
    if (api.SetMenuItemInfoA(SystemMenuHandle, CloseItemInfo.wID, 0, CloseItemInfo) == 0) {
      action = 2;
      SetCloseItemState(action);
    }
    // Redraw the title bar so that its Close button shows the new state.
    api.SendMessageA(hWnd, host::win::kWmNcActivate, -1, 0);
  }

  ToggleBits(CloseItemInfo.fState, host::win::kMfsChecked);
  CloseItemInfo.fMask = host::win::kMiimState;
  api.SetMenuItemInfoA(SystemMenuHandle, CloseItemInfo.wID, 0, CloseItemInfo);
}

std::int32_t frmMain::SetCloseItemState(std::int32_t& Action) {
  const std::uint32_t old = CloseItemInfo.wID;
  if (AllBitsSet(CloseItemInfo.fState, host::win::kMfsGrayed)) {
    CloseItemInfo.wID = Action == 1 ? CloseItemId : DisabledCloseItemId;
  } else {
    CloseItemInfo.wID = Action == 1 ? DisabledCloseItemId : CloseItemId;
  }
  CloseItemInfo.fMask = host::win::kMiimId;
  const std::int32_t ok = library_.api.SetMenuItemInfoA(SystemMenuHandle, old, 0, CloseItemInfo);
  if (ok == 0) CloseItemInfo.wID = old;
  return ok;
}

void frmMain::Form_QueryUnload(Int16& Cancel, Int16 UnloadMode) {
  // The session ends only through OK or Cancel, never from the title bar.
  if (UnloadMode == Int16(host::vbFormControlMenu)) Cancel = 1;
}

void frmMain::cmdMove_Click(Int16 Index) {
  modAT& at = library_.at;
  // Moving never loses what the author typed for the area shown.
  at.AreaAlts[at.CurrentArea] = view_->GetText(controls::txtMapnote);

  switch (Index.value()) {
    case controls::cmdMoveFirst:
      at.CurrentArea = 0;
      at.UpdateMoveButtons();
      break;
    case controls::cmdMovePrevious:
      at.CurrentArea = at.CurrentArea - Int16(1);
      at.UpdateMoveButtons();
      break;
    case controls::cmdMoveNext:
      at.CurrentArea = at.CurrentArea + Int16(1);
      at.UpdateMoveButtons();
      if (view_->GetEnabled(controls::cmdMove(controls::cmdMoveNext))) {
        view_->SetDefaultButton(controls::cmdMove(controls::cmdMoveNext));
      } else if (view_->GetEnabled(controls::cmdOK)) {
        view_->SetDefaultButton(controls::cmdOK);
      }
      break;
    case controls::cmdMoveLast:
      at.CurrentArea = at.AreaCount - Int16(1);
      at.UpdateMoveButtons();
      break;
    default:
      break;
  }

  view_->SetText(controls::txtLink, at.AreaLinks[at.CurrentArea]);
  view_->SetText(controls::txtMapnote, at.AreaAlts[at.CurrentArea]);
  view_->SetText(controls::lblStatus, AreaStatus(at.CurrentArea, at.AreaCount));
}

std::optional<std::vector<host::Ref<host::HTMLElement>>> frmMain::AreasIfUnchanged() {
  modAT& at = library_.at;
  const auto pageWindow = at.EditedPageWindow;
  // One collection for the whole check: two host calls per area.
  const auto areas = PageAreas(Deref(pageWindow));
  auto& collection = Deref(areas);
  if (collection.length() != at.AreaCount.value()) return std::nullopt;
  std::vector<host::Ref<host::HTMLElement>> elements;
  elements.reserve(static_cast<std::size_t>(at.AreaCount.value()));
  for (std::int32_t i = 0; i < at.AreaCount.value(); ++i) {
    const Int16 index = Int16::From(i);
    auto element = collection.Item(index);
    if (AreaLink(Deref(element)) != at.AreaLinks[index]) return std::nullopt;
    elements.push_back(std::move(element));
  }
  return elements;
}

void frmMain::cmdOK_Click() {
  modAT& at = library_.at;
  at.AreaAlts[at.CurrentArea] = view_->GetText(controls::txtMapnote);

  // Writing by position into a page whose areas were added, removed or
  // relinked meanwhile would put texts on the wrong areas. The elements the
  // check fetched take the writes: one more host call per area.
  const auto areas = AreasIfUnchanged();
  if (!areas) {
    library_.boxes.MsgBox(PageChangedPrompt, host::mb::Warning, FrontPageTitle);
    return;
  }

  const auto pageWindow = at.EditedPageWindow;
  auto& page = Deref(pageWindow);
  const Int16 last = at.AreaCount - Int16(1);
  for (std::int32_t i = 0; i <= last.value(); ++i) {
    const Int16 index = Int16::From(i);
    const auto& area = (*areas)[static_cast<std::size_t>(i)];
    const Text& alt = at.AreaAlts[index];
    if (!alt.empty()) {
      Deref(area).setAttribute(u"alt", alt);
    } else {
      Deref(area).removeAttribute(u"alt");
    }
  }

  if (view_->GetValue(controls::chkSave) == 1) {
    const auto app = library_.globals.Application();
    const auto previous = Deref(app).ActivePageWindow();
    page.Activate();
    RunSaveCommand(*app);
    // With no page active before, there is nothing to give the focus back to.
    if (previous) previous->Activate();
  }

  at.EndAreaEditing();
}

void frmMain::cmdCancel_Click() { library_.at.EndAreaEditing(); }

void frmMain::txtMapnote_LostFocus() {}

}  // namespace mapnote
