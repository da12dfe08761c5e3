#pragma once
// A dialog toolkit without a screen. It builds each form from its design,
// keeps the controls' state, and lets a test act as the author does: type,
// click, press Enter or Escape, close from the control menu, move the focus.
//
// Rules the author meets, as on Windows:
// - only an enabled control on a shown form can be clicked, typed into or
//   focused; a read-only text box cannot be typed into;
// - a click on a button or check box moves the focus to it first;
// - Enter presses the focused command button, or else the default button;
//   Escape presses the cancel button; a disabled button is not pressed;
// - the focus leaving a control raises LostFocus for it;
// - closing from the control menu raises QueryUnload (mode 0) and hides the
//   form only when the handler leaves Cancel at 0.
// A failure thrown by a form's event handler is recorded here, and the
// toolkit goes on.
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "host/dialog.h"
#include "standin/faults.h"
#include "standin/window_system.h"

namespace standin {

struct ToolkitFailure {
  host::Text form;    // the form's title
  std::string event;  // e.g. "Click cmdOK", "QueryUnload"
  std::uint32_t code = 0;
};

struct FormState;

// A test's handle on a form the toolkit built; it stays usable after the
// form is destroyed (Exists() is then false and every action does nothing).
class HeadlessForm {
 public:
  explicit HeadlessForm(std::shared_ptr<FormState> state) : state_(std::move(state)) {}

  bool Exists() const;  // the application still holds the form
  host::Text Title() const;
  bool Visible() const;
  std::int32_t hWnd() const;

  host::Text GetText(const host::ControlId& control) const;
  bool Enabled(const host::ControlId& control) const;
  std::int16_t Value(const host::ControlId& control) const;
  std::optional<host::ControlId> Focus() const;
  std::optional<host::ControlId> DefaultButton() const;
  std::optional<host::ControlId> CancelButton() const;

  // The author's actions; each returns whether it took effect.
  bool Type(const host::ControlId& textBox, const host::Text& text);  // replaces the box's text
  bool Click(const host::ControlId& control);
  bool PressEnter();
  bool PressEscape();
  bool CloseFromControlMenu();
  bool FocusOn(const host::ControlId& control);

 private:
  std::shared_ptr<FormState> state_;
};

class HeadlessToolkit final : public host::DialogToolkit {
 public:
  HeadlessToolkit(std::shared_ptr<WindowSystem> windows, std::shared_ptr<FaultInjector> faults);

  std::unique_ptr<host::FormView> CreateForm(const host::FormDesign& design, host::FormEvents& events) override;

  // The most recently built form with this title that still exists.
  std::optional<HeadlessForm> FindForm(const host::Text& title) const;
  int CountForms(const host::Text& title) const;
  const std::vector<ToolkitFailure>& Failures() const { return *failures_; }

 private:
  std::shared_ptr<WindowSystem> windows_;
  std::shared_ptr<FaultInjector> faults_;
  std::shared_ptr<std::vector<ToolkitFailure>> failures_;
  std::vector<std::weak_ptr<FormState>> forms_;
};

}  // namespace standin
