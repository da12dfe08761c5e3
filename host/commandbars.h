#pragma once
// The Office command-bar model as the add-ins use it. Omitted optional
// arguments are passed as Variant::Missing().
#include <cstdint>

#include "host/events.h"
#include "host/variant.h"

namespace host {

inline constexpr std::int32_t msoControlButton = 1;
inline constexpr std::int32_t msoControlPopup = 10;

class CommandBarControl;
class CommandBarButton;

class CommandBarControls : public Object {
 public:
  // By caption (string) or by 1-based position; a missing one is a failure.
  virtual Ref<CommandBarControl> Item(const Variant& index) = 0;
  virtual std::int32_t Count() = 0;
  virtual Ref<CommandBarControl> Add(const Variant& Type, const Variant& Id, const Variant& Parameter,
                                     const Variant& Before, const Variant& Temporary) = 0;
};

class CommandBarControl : public Object {
 public:
  virtual std::int32_t Type() = 0;
  virtual Text Caption() = 0;
  virtual void put_Caption(const Text& value) = 0;
  virtual Text Tag() = 0;
  virtual void put_Tag(const Text& value) = 0;
  virtual Text OnAction() = 0;
  virtual void put_OnAction(const Text& value) = 0;
  virtual Text Parameter() = 0;
  virtual void put_Parameter(const Text& value) = 0;
  virtual void Delete(const Variant& Temporary) = 0;
  // Runs the control's command as if it had been clicked.
  virtual void Execute() = 0;
};

class CommandBarPopup : public CommandBarControl {
 public:
  virtual Ref<CommandBarControls> Controls() = 0;
};

class CommandBarButtonEvents {
 public:
  virtual void Click(const Ref<CommandBarButton>& Ctrl, Bool16& CancelDefault) = 0;

 protected:
  ~CommandBarButtonEvents() = default;
};

class CommandBarButton : public CommandBarControl {
 public:
  virtual Connection Advise(CommandBarButtonEvents& sink) = 0;
};

class CommandBar : public Object {
 public:
  virtual Text Name() = 0;
  virtual Ref<CommandBarControls> Controls() = 0;
  // The first control that matches; null when none does.
  virtual Ref<CommandBarControl> FindControl(const Variant& Type, const Variant& Id, const Variant& Tag,
                                             const Variant& Visible, const Variant& Recursive) = 0;
};

class CommandBars : public Object {
 public:
  // By name, in any letter case, or by 1-based position.
  virtual Ref<CommandBar> Item(const Variant& index) = 0;
};

// The late-bound "Controls" of a generic object: a popup's or a bar's.
inline Ref<CommandBarControls> LateControls(const Ref<Object>& object) {
  if (auto popup = std::dynamic_pointer_cast<CommandBarPopup>(object)) return popup->Controls();
  if (auto bar = std::dynamic_pointer_cast<CommandBar>(object)) return bar->Controls();
  if (!object) throw Error(code::ObjectNotSet);
  throw Error(code::NotSupported);
}

}  // namespace host
