#include "standin/headless_toolkit.h"

#include <algorithm>
#include <utility>

#include "host/error.h"
#include "standin/live_objects.h"

namespace standin {

struct ControlState {
  host::ControlDesign design;
  host::Text text;
  bool enabled = true;
  std::int16_t value = 0;
};

struct FormState {
  host::Text title;
  std::vector<ControlState> controls;
  host::FormEvents* events = nullptr;  // null once the application dropped the form
  std::shared_ptr<WindowSystem> windows;
  std::shared_ptr<FaultInjector> faults;
  std::shared_ptr<std::vector<ToolkitFailure>> failures;
  std::int32_t hWnd = 0;
  bool visible = false;
  std::optional<host::ControlId> focus, defaultButton, cancelButton;
};

namespace {

host::ControlId IdOf(const ControlState& control) { return {control.design.name, control.design.index}; }

std::string Describe(const host::ControlId& id) {
  return id.index < 0 ? id.name : id.name + "(" + std::to_string(id.index) + ")";
}

ControlState* Find(FormState& form, const host::ControlId& id) {
  for (auto& control : form.controls) {
    if (control.design.name == id.name && control.design.index == id.index) return &control;
  }
  return nullptr;
}

ControlState& Require(FormState& form, const host::ControlId& id) {
  if (auto* control = Find(form, id)) return *control;
  throw host::Error(host::code::InvalidProcedureCall, host::FromUtf8("no control " + Describe(id)));
}

bool Focusable(const ControlState& control) {
  const auto kind = control.design.kind;
  return control.enabled &&
         (kind == host::ControlKind::TextBox || kind == host::ControlKind::CommandButton ||
          kind == host::ControlKind::CheckBox);
}

// Runs one of the form's event handlers; what it throws is recorded.
template <class Handler>
void Raise(FormState& form, const std::string& event, Handler handler) {
  if (!form.events) return;
  try {
    handler(*form.events);
  } catch (const host::Error& e) {
    form.failures->push_back({form.title, event, e.code()});
  } catch (const std::exception&) {
    form.failures->push_back({form.title, event, kHostFailure});
  }
}

void MoveFocus(FormState& form, std::optional<host::ControlId> to) {
  const auto from = std::exchange(form.focus, std::move(to));
  if (from && from != form.focus) Raise(form, "LostFocus " + Describe(*from), [&](auto& e) { e.LostFocus(*from); });
}

// The next control in tab order that can take the focus, after `after`.
std::optional<host::ControlId> NextInTabOrder(const FormState& form, const ControlState& after) {
  const ControlState* next = nullptr;
  const ControlState* first = nullptr;
  for (const auto& control : form.controls) {
    if (!Focusable(control) || &control == &after) continue;
    const auto tab = control.design.tabIndex;
    if (!first || tab < first->design.tabIndex) first = &control;
    if (tab > after.design.tabIndex && (!next || tab < next->design.tabIndex)) next = &control;
  }
  if (!next) next = first;
  if (!next) return std::nullopt;
  return IdOf(*next);
}

class HeadlessFormView final : public host::FormView, Counted {
 public:
  explicit HeadlessFormView(std::shared_ptr<FormState> state) : Counted("FormView"), s_(std::move(state)) {}
  ~HeadlessFormView() override {
    s_->events = nullptr;
    s_->visible = false;
    s_->windows->CloseWindow(s_->hWnd);
  }

  host::Text GetText(const host::ControlId& control) override {
    s_->faults->Check("FormView.GetText");
    return Require(*s_, control).text;
  }
  void SetText(const host::ControlId& control, const host::Text& text) override {
    s_->faults->Check("FormView.SetText");
    Require(*s_, control).text = text;
  }
  bool GetEnabled(const host::ControlId& control) override {
    s_->faults->Check("FormView.GetEnabled");
    return Require(*s_, control).enabled;
  }
  void SetEnabled(const host::ControlId& id, bool enabled) override {
    s_->faults->Check("FormView.SetEnabled");
    auto& control = Require(*s_, id);
    control.enabled = enabled;
    // A disabled control cannot keep the focus: it passes on in tab order.
    if (!enabled && s_->focus == id) MoveFocus(*s_, NextInTabOrder(*s_, control));
  }
  std::int16_t GetValue(const host::ControlId& control) override {
    s_->faults->Check("FormView.GetValue");
    return Require(*s_, control).value;
  }
  void SetDefaultButton(const host::ControlId& id) override {
    s_->faults->Check("FormView.SetDefaultButton");
    if (Require(*s_, id).design.kind != host::ControlKind::CommandButton)
      throw host::Error(host::code::InvalidProcedureCall, u"only a command button can be the default");
    s_->defaultButton = id;
  }
  void SetFocus(const host::ControlId& id) override {
    s_->faults->Check("FormView.SetFocus");
    // As on Windows, the focus goes only to an enabled control of a shown form.
    if (!s_->visible || !Focusable(Require(*s_, id)))
      throw host::Error(host::code::InvalidProcedureCall, u"the control cannot take the focus");
    MoveFocus(*s_, id);
  }
  void ShowModeless() override {
    s_->faults->Check("FormView.ShowModeless");
    s_->visible = true;
    s_->windows->SetVisible(s_->hWnd, true);
    if (!s_->focus) s_->focus = FirstFocus();
  }
  void Hide() override {
    s_->faults->Check("FormView.Hide");
    s_->visible = false;
    s_->windows->SetVisible(s_->hWnd, false);
  }
  bool Visible() override {
    s_->faults->Check("FormView.Visible");
    return s_->visible;
  }
  std::int32_t hWnd() override {
    s_->faults->Check("FormView.hWnd");
    return s_->hWnd;
  }

 private:
  // A newly shown window focuses the first control in tab order that can take it.
  std::optional<host::ControlId> FirstFocus() const {
    const ControlState* first = nullptr;
    for (const auto& control : s_->controls) {
      if (Focusable(control) && (!first || control.design.tabIndex < first->design.tabIndex)) first = &control;
    }
    if (!first) return std::nullopt;
    return IdOf(*first);
  }

  std::shared_ptr<FormState> s_;
};

// The author can act only on a shown form the application still holds.
bool Usable(const FormState& form) { return form.events && form.visible; }

}  // namespace

bool HeadlessForm::Exists() const { return state_->events != nullptr; }
host::Text HeadlessForm::Title() const { return state_->title; }
bool HeadlessForm::Visible() const { return state_->visible; }
std::int32_t HeadlessForm::hWnd() const { return state_->hWnd; }

host::Text HeadlessForm::GetText(const host::ControlId& control) const { return Require(*state_, control).text; }
bool HeadlessForm::Enabled(const host::ControlId& control) const { return Require(*state_, control).enabled; }
std::int16_t HeadlessForm::Value(const host::ControlId& control) const { return Require(*state_, control).value; }
std::optional<host::ControlId> HeadlessForm::Focus() const { return state_->focus; }
std::optional<host::ControlId> HeadlessForm::DefaultButton() const { return state_->defaultButton; }
std::optional<host::ControlId> HeadlessForm::CancelButton() const { return state_->cancelButton; }

bool HeadlessForm::Type(const host::ControlId& textBox, const host::Text& text) {
  auto state = state_;
  auto* control = Find(*state, textBox);
  if (!Usable(*state) || !control || control->design.kind != host::ControlKind::TextBox || !control->enabled ||
      control->design.readOnly)
    return false;
  MoveFocus(*state, textBox);
  // The focus change may have run code that dropped the form.
  if (!state->events) return false;
  control->text = text;
  return true;
}

bool HeadlessForm::Click(const host::ControlId& id) {
  auto state = state_;
  auto* control = Find(*state, id);
  if (!Usable(*state) || !control || !control->enabled) return false;
  const auto kind = control->design.kind;
  if (kind != host::ControlKind::CommandButton && kind != host::ControlKind::CheckBox) return false;
  MoveFocus(*state, id);
  if (!state->events) return false;
  if (kind == host::ControlKind::CheckBox) control->value = control->value == 0 ? 1 : 0;
  Raise(*state, "Click " + Describe(id), [&](auto& e) { e.Click(id); });
  return true;
}

bool HeadlessForm::PressEnter() {
  auto state = state_;
  if (!Usable(*state)) return false;
  std::optional<host::ControlId> target = state->defaultButton;
  if (state->focus) {
    if (const auto* focused = Find(*state, *state->focus);
        focused && focused->design.kind == host::ControlKind::CommandButton)
      target = state->focus;
  }
  const auto* button = target ? Find(*state, *target) : nullptr;
  if (!button || !button->enabled) return false;
  const auto id = *target;
  Raise(*state, "Click " + Describe(id), [&](auto& e) { e.Click(id); });
  return true;
}

bool HeadlessForm::PressEscape() {
  auto state = state_;
  if (!Usable(*state) || !state->cancelButton) return false;
  const auto id = *state->cancelButton;
  const auto* button = Find(*state, id);
  if (!button || !button->enabled) return false;
  Raise(*state, "Click " + Describe(id), [&](auto& e) { e.Click(id); });
  return true;
}

bool HeadlessForm::CloseFromControlMenu() {
  auto state = state_;
  if (!Usable(*state)) return false;
  host::Int16 cancel = 0;
  bool failed = true;
  Raise(*state, "QueryUnload", [&](auto& e) {
    e.QueryUnload(cancel, host::vbFormControlMenu);
    failed = false;
  });
  // A handler that failed did not agree to the close either.
  if (failed || cancel != host::Int16(0) || !state->events) return false;
  state->visible = false;
  state->windows->SetVisible(state->hWnd, false);
  return true;
}

bool HeadlessForm::FocusOn(const host::ControlId& id) {
  auto state = state_;
  const auto* control = Find(*state, id);
  if (!Usable(*state) || !control || !Focusable(*control)) return false;
  MoveFocus(*state, id);
  return true;
}

HeadlessToolkit::HeadlessToolkit(std::shared_ptr<WindowSystem> windows, std::shared_ptr<FaultInjector> faults)
    : windows_(std::move(windows)), faults_(std::move(faults)),
      failures_(std::make_shared<std::vector<ToolkitFailure>>()) {}

std::unique_ptr<host::FormView> HeadlessToolkit::CreateForm(const host::FormDesign& design, host::FormEvents& events) {
  faults_->Check("DialogToolkit.CreateForm");
  auto state = std::make_shared<FormState>();
  state->title = design.title;
  state->events = &events;
  state->windows = windows_;
  state->faults = faults_;
  state->failures = failures_;
  for (const auto& control : design.controls) {
    state->controls.push_back({control, control.caption, true, control.value});
    if (control.isDefault && !state->defaultButton) state->defaultButton = IdOf(state->controls.back());
    if (control.isCancel && !state->cancelButton) state->cancelButton = IdOf(state->controls.back());
  }
  state->hWnd = windows_->OpenWindow(design.title);
  std::erase_if(forms_, [](const auto& form) { return form.expired(); });
  forms_.push_back(state);
  return std::make_unique<HeadlessFormView>(std::move(state));
}

std::optional<HeadlessForm> HeadlessToolkit::FindForm(const host::Text& title) const {
  for (auto form = forms_.rbegin(); form != forms_.rend(); ++form) {
    if (auto state = form->lock(); state && state->events && state->title == title) return HeadlessForm(state);
  }
  return std::nullopt;
}

int HeadlessToolkit::CountForms(const host::Text& title) const {
  return static_cast<int>(std::count_if(forms_.begin(), forms_.end(), [&](const auto& form) {
    auto state = form.lock();
    return state && state->events && state->title == title;
  }));
}

}  // namespace standin
