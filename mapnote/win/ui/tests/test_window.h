#pragma once
// What the dialog tests share: an event recorder, a message-box recorder,
// the message loop of a host that knows nothing of dialogs, and a way to
// find a control's window.
#include <windows.h>

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "host/dialog.h"
#include "host/messagebox.h"
#include "mapnote/win/ui/win_dialog.h"

namespace mapnote::win::testing {

std::string Key(const host::ControlId& id);  // "cmdOK", "cmdMove(2)"

struct EventLog final : host::FormEvents {
  std::vector<std::string> clicks;
  std::vector<std::string> lostFocus;
  std::vector<std::int16_t> unloadModes;
  bool refuseClose = false;
  std::function<void(const host::ControlId&)> onClick;

  void QueryUnload(host::Int16& Cancel, host::Int16 UnloadMode) override;
  void Click(const host::ControlId& control) override;
  void LostFocus(const host::ControlId& control) override;
};

struct BoxLog final : host::MessageBoxes {
  std::vector<host::Text> prompts;
  std::int32_t MsgBox(const host::Text& prompt, std::int32_t style, const host::Text& title) override;
};

// Dispatches what is queued, without IsDialogMessage, as the host's loop does.
void Pump();

// Posts a key press to the window with the focus, then pumps.
void PressKey(UINT virtualKey);

// The window of every control of the design, by Key(): each control is
// told apart by a marker text that is put back afterwards.
std::map<std::string, HWND> ControlWindows(host::FormView& view, const host::FormDesign& design);

// A dialog of the given design, with its recorders.
struct TestDialog {
  explicit TestDialog(const host::FormDesign& design);
  HWND hwnd() const { return reinterpret_cast<HWND>(static_cast<std::intptr_t>(view->hWnd())); }

  EventLog events;
  BoxLog boxes;
  WinDialogToolkit toolkit{ThisModule(), boxes};
  std::unique_ptr<host::FormView> view;
};

}  // namespace mapnote::win::testing
