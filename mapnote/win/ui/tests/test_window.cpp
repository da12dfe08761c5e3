#include "mapnote/win/ui/tests/test_window.h"

#include "host/text.h"

namespace mapnote::win::testing {

std::string Key(const host::ControlId& id) {
  return id.index < 0 ? id.name : id.name + "(" + std::to_string(id.index) + ")";
}

void EventLog::QueryUnload(host::Int16& Cancel, host::Int16 UnloadMode) {
  unloadModes.push_back(UnloadMode.value());
  if (refuseClose) Cancel = 1;
}

void EventLog::Click(const host::ControlId& control) {
  clicks.push_back(Key(control));
  if (onClick) onClick(control);
}

void EventLog::LostFocus(const host::ControlId& control) { lostFocus.push_back(Key(control)); }

std::int32_t BoxLog::MsgBox(const host::Text& prompt, std::int32_t, const host::Text&) {
  prompts.push_back(prompt);
  return host::mb::ResultOK;
}

void Pump() {
  MSG msg;
  while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    ::TranslateMessage(&msg);
    ::DispatchMessageW(&msg);
  }
}

void PressKey(UINT virtualKey) {
  HWND target = ::GetFocus();
  ::PostMessageW(target, WM_KEYDOWN, virtualKey, 1);
  ::PostMessageW(target, WM_KEYUP, virtualKey, 0xC0000001);
  Pump();
}

std::map<std::string, HWND> ControlWindows(host::FormView& view, const host::FormDesign& design) {
  HWND dialog = reinterpret_cast<HWND>(static_cast<std::intptr_t>(view.hWnd()));
  std::map<std::string, HWND> found;
  for (const host::ControlDesign& c : design.controls) {
    const host::ControlId id{c.name, c.index};
    const host::Text saved = view.GetText(id);
    view.SetText(id, u"marker " + host::FromUtf8(Key(id)));
    for (HWND child = ::GetWindow(dialog, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
      wchar_t text[64] = {};
      ::GetWindowTextW(child, text, 64);
      if (host::ToUtf8(reinterpret_cast<const char16_t*>(text)) == "marker " + Key(id)) found[Key(id)] = child;
    }
    view.SetText(id, saved);
  }
  return found;
}

TestDialog::TestDialog(const host::FormDesign& design) : view(toolkit.CreateForm(design, events)) {}

}  // namespace mapnote::win::testing
