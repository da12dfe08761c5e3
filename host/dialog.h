#pragma once
// A small dialog toolkit: a form designed as data, built by a toolkit (a
// Win32 window, or the headless one of the stand-in host), and driven through
// its controls. Positions are in twips, relative to the control's parent.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "host/int16.h"
#include "host/text.h"

namespace host {

enum class ControlKind { Frame, Label, TextBox, CommandButton, CheckBox };

// Every member has an initializer, so that a design names only what it sets.
struct ControlDesign {
  std::string name{};
  std::int16_t index = -1;  // position in a control array; -1 for a single control
  ControlKind kind = ControlKind::Label;
  std::string parent{};  // empty: the window itself
  Text caption{};
  Text tooltip{};
  std::int32_t left = 0, top = 0, width = 0, height = 0;
  std::int32_t tabIndex = 0;
  bool readOnly = false;
  bool scrollBarBackground = false;  // background in the system scroll-bar colour
  bool isDefault = false;            // pressed by Enter
  bool isCancel = false;             // pressed by Escape
  std::int16_t value = 0;            // check box state: 0 cleared, 1 checked
};

struct FormDesign {
  Text title;
  std::int32_t clientWidth = 0, clientHeight = 0;  // twips
  bool minButton = false, maxButton = false;
  std::vector<ControlDesign> controls;
};

struct ControlId {
  std::string name;
  std::int16_t index = -1;
  friend bool operator==(const ControlId&, const ControlId&) = default;
};

// QueryUnload's unload mode for a close from the window's control menu.
inline constexpr std::int16_t vbFormControlMenu = 0;
inline constexpr std::int16_t vbFormCode = 1;

class FormEvents {
 public:
  virtual void QueryUnload(Int16& Cancel, Int16 UnloadMode) = 0;
  virtual void Click(const ControlId& control) = 0;
  virtual void LostFocus(const ControlId& control) = 0;

 protected:
  ~FormEvents() = default;
};

class FormView {
 public:
  virtual ~FormView() = default;
  virtual Text GetText(const ControlId& control) = 0;  // a text box's text, or a caption
  virtual void SetText(const ControlId& control, const Text& text) = 0;
  virtual bool GetEnabled(const ControlId& control) = 0;
  virtual void SetEnabled(const ControlId& control, bool enabled) = 0;
  virtual std::int16_t GetValue(const ControlId& control) = 0;  // check box
  virtual void SetDefaultButton(const ControlId& control) = 0;
  virtual void SetFocus(const ControlId& control) = 0;
  virtual void ShowModeless() = 0;
  virtual void Hide() = 0;
  virtual bool Visible() = 0;
  virtual std::int32_t hWnd() = 0;
};

class DialogToolkit {
 public:
  // Builds the window, hidden; events go to `events` until the view is destroyed.
  virtual std::unique_ptr<FormView> CreateForm(const FormDesign& design, FormEvents& events) = 0;

 protected:
  ~DialogToolkit() = default;
};

}  // namespace host
