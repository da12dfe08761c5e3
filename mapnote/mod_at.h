#pragma once
// The editing session over the area elements of one page, and the state it
// shares with the dialog.
#include "host/application.h"
#include "host/bounded_array.h"
#include "host/int16.h"
#include "host/text.h"

namespace mapnote {

class LibraryContext;

class modAT {
 public:
  explicit modAT(LibraryContext& library) : library_(library) {}
  modAT(const modAT&) = delete;
  modAT& operator=(const modAT&) = delete;

  // Checks the page, reads its areas and opens the dialog on the first one.
  void StartAreaEditing();
  // Hides and drops the dialog, then disconnects the add-in.
  void EndAreaEditing();
  // Enables the move buttons that lead somewhere from CurrentArea.
  void UpdateMoveButtons();
  // Raises the open dialog above every other window and gives it the focus.
  void BringDialogToFront();
  // The host is letting the add-in go: an open session ends as Cancel
  // would, with nothing written, saved or asked, and the dialog closes. The
  // host objects go; the texts and arrays stay, as they hold none.
  void ReleaseHostObjects();

  // Kept from one session to the next for as long as the library is loaded;
  // the host objects only for as long as the add-in is connected.
  host::Ref<host::HostApplication> HostApp;
  host::BoundedArray<host::Text> AreaLinks;
  host::BoundedArray<host::Text> AreaAlts;
  host::Int16 CurrentArea;
  host::Int16 AreaCount;
  host::Text EditedPageUrl;
  host::Ref<host::PageWindow> EditedPageWindow;
  // True from the moment a session shows the dialog until that session ends:
  // the only time the edited page must not close.
  bool SessionOpen = false;

 private:
  LibraryContext& library_;
};

// "Image Map Area <n> of <count>" for the zero-based area shown.
host::Text AreaStatus(host::Int16 currentArea, host::Int16 areaCount);

// The element's href; an area without one links nowhere.
host::Text AreaLink(host::HTMLElement& area);

// The host's File, Save command, run on the active page.
void RunSaveCommand(host::HostApplication& app);

// The page's area elements, in document order, fetched anew from the page.
host::Ref<host::ElementCollection> PageAreas(host::PageWindow& page);
host::Ref<host::HTMLElement> PageArea(host::PageWindow& page, host::Int16 index);

}  // namespace mapnote
