#include "standin/command_bars.h"

#include <stdexcept>

#include "standin/faults.h"
#include "standin/live_objects.h"
#include "standin/names.h"

namespace standin {
namespace {

using host::Ref;
using host::Text;
using host::Variant;

std::shared_ptr<CommandHost> HostOf(const BarStoreState& store) {
  auto host = store.host.lock();
  if (!host) throw host::Error(kHostFailure, u"the host is not running");
  return host;
}

std::shared_ptr<CommandHost> Enter(const BarStoreState& store, std::string_view operation) {
  auto host = HostOf(store);
  host->Check(operation);
  return host;
}

void MarkDeleted(ControlNode& control) {
  control.deleted = true;
  control.receivers.Clear();
  if (control.children) {
    for (auto& child : *control.children) MarkDeleted(*child);
  }
}

void Remove(const std::shared_ptr<ControlNode>& control) {
  if (auto parent = control->parent.lock()) std::erase(*parent, control);
  MarkDeleted(*control);
}

Ref<host::CommandBarControl> MakeControl(const std::shared_ptr<BarStoreState>& store,
                                         const std::shared_ptr<ControlNode>& control);

template <class Interface>
class ControlObject : public Interface, Counted {
 public:
  ControlObject(std::shared_ptr<BarStoreState> store, std::shared_ptr<ControlNode> node)
      : Counted("CommandBarControl"), store_(std::move(store)), node_(std::move(node)) {}

  std::int32_t Type() override {
    Enter("CommandBarControl.Type");
    return node_->type;
  }
  Text Caption() override { return Get("CommandBarControl.Caption", &ControlNode::caption); }
  Text Tag() override { return Get("CommandBarControl.Tag", &ControlNode::tag); }
  Text OnAction() override { return Get("CommandBarControl.OnAction", &ControlNode::onAction); }
  Text Parameter() override { return Get("CommandBarControl.Parameter", &ControlNode::parameter); }
  void put_Caption(const Text& value) override { Put("CommandBarControl.put_Caption", &ControlNode::caption, value); }
  void put_Tag(const Text& value) override { Put("CommandBarControl.put_Tag", &ControlNode::tag, value); }
  void put_OnAction(const Text& value) override { Put("CommandBarControl.put_OnAction", &ControlNode::onAction, value); }
  void put_Parameter(const Text& value) override {
    Put("CommandBarControl.put_Parameter", &ControlNode::parameter, value);
  }
  // Removes the control, and a popup's controls with it, for good.
  void Delete(const Variant&) override {
    Enter("CommandBarControl.Delete");
    Remove(node_);
  }
  void Execute() override {
    auto host = Enter("CommandBarControl.Execute");
    Press(store_, node_, *host);
  }

 protected:
  // A deleted control answers nothing, as a reference to a removed Office control.
  std::shared_ptr<CommandHost> Enter(std::string_view operation) {
    auto host = standin::Enter(*store_, operation);
    if (node_->deleted) throw host::Error(kHostFailure, u"the control was deleted");
    return host;
  }

  std::shared_ptr<BarStoreState> store_;
  std::shared_ptr<ControlNode> node_;

 private:
  // The control's text properties, each read or written as one call.
  Text Get(std::string_view operation, Text ControlNode::*field) {
    Enter(operation);
    return (*node_).*field;
  }
  void Put(std::string_view operation, Text ControlNode::*field, const Text& value) {
    Enter(operation);
    (*node_).*field = value;
  }
};

class ButtonObject final : public ControlObject<host::CommandBarButton> {
 public:
  using ControlObject::ControlObject;
  host::Connection Advise(host::CommandBarButtonEvents& sink) override {
    Enter("CommandBarButton.Advise");
    return node_->receivers.Add(sink);
  }
};

class ControlsObject final : public host::CommandBarControls, Counted {
 public:
  // owner: the popup whose controls these are; null for a bar's.
  ControlsObject(std::shared_ptr<BarStoreState> store, std::shared_ptr<ControlList> list,
                 std::shared_ptr<ControlNode> owner)
      : Counted("CommandBarControls"), store_(std::move(store)), list_(std::move(list)), owner_(std::move(owner)) {}

  Ref<host::CommandBarControl> Item(const Variant& index) override {
    Enter("CommandBarControls.Item");
    if (index.IsText()) {
      for (const auto& control : *list_) {
        if (control->caption == index.ToText()) return MakeControl(store_, control);
      }
      throw host::Error(host::code::InvalidProcedureCall, u"no control " + index.ToText());
    }
    const auto position = index.ToInt32();
    if (position < 1 || position > Size()) throw host::Error(host::code::InvalidProcedureCall);
    return MakeControl(store_, (*list_)[static_cast<std::size_t>(position - 1)]);
  }

  std::int32_t Count() override {
    Enter("CommandBarControls.Count");
    return Size();
  }

  Ref<host::CommandBarControl> Add(const Variant& Type, const Variant& Id, const Variant& Parameter,
                                   const Variant& Before, const Variant& Temporary) override {
    Enter("CommandBarControls.Add");
    // Every argument is read before anything changes, so that a bad one adds nothing.
    const auto type = Type.IsMissing() ? host::msoControlButton : Type.ToInt32();
    if (type != host::msoControlButton && type != host::msoControlPopup)
      throw host::Error(host::code::InvalidProcedureCall, u"unsupported control type");
    const auto id = Id.IsMissing() ? 1 : Id.ToInt32();
    const auto parameter = Parameter.IsMissing() ? Text() : Parameter.ToText();
    const auto before = Before.IsMissing() ? Size() + 1 : Before.ToInt32();
    if (before < 1 || before > Size() + 1) throw host::Error(host::code::InvalidProcedureCall);
    const bool temporary = Temporary.IsMissing() ? false : static_cast<bool>(Temporary.ToBool());

    auto control = std::make_shared<ControlNode>();
    control->type = type;
    control->id = id;
    control->parameter = parameter;
    control->temporary = temporary;
    control->parent = list_;
    if (type == host::msoControlPopup) control->children = std::make_shared<ControlList>();
    if (id == 3) {  // a copy of the built-in Save
      control->builtIn = BuiltIn::Save;
      control->caption = u"&Save";
    }
    list_->insert(list_->begin() + (before - 1), control);
    return MakeControl(store_, control);
  }

 private:
  void Enter(std::string_view operation) {
    standin::Enter(*store_, operation);
    if (owner_ && owner_->deleted) throw host::Error(kHostFailure, u"the popup was deleted");
  }
  std::int32_t Size() const { return static_cast<std::int32_t>(list_->size()); }

  std::shared_ptr<BarStoreState> store_;
  std::shared_ptr<ControlList> list_;
  std::shared_ptr<ControlNode> owner_;
};

class PopupObject final : public ControlObject<host::CommandBarPopup> {
 public:
  using ControlObject::ControlObject;
  Ref<host::CommandBarControls> Controls() override {
    Enter("CommandBarPopup.Controls");
    return std::make_shared<ControlsObject>(store_, node_->children, node_);
  }
};

Ref<host::CommandBarControl> MakeControl(const std::shared_ptr<BarStoreState>& store,
                                         const std::shared_ptr<ControlNode>& control) {
  if (control->type == host::msoControlPopup) return std::make_shared<PopupObject>(store, control);
  return std::make_shared<ButtonObject>(store, control);
}

std::shared_ptr<ControlNode> Search(const ControlList& list, const std::optional<std::int32_t>& type,
                                    const std::optional<std::int32_t>& id, const std::optional<Text>& tag,
                                    bool recursive) {
  for (const auto& control : list) {
    if ((!type || control->type == *type) && (!id || control->id == *id) && (!tag || control->tag == *tag))
      return control;
    if (recursive && control->children) {
      if (auto found = Search(*control->children, type, id, tag, recursive)) return found;
    }
  }
  return nullptr;
}

class BarObject final : public host::CommandBar, Counted {
 public:
  BarObject(std::shared_ptr<BarStoreState> store, BarNode bar)
      : Counted("CommandBar"), store_(std::move(store)), bar_(std::move(bar)) {}

  Text Name() override {
    Enter(*store_, "CommandBar.Name");
    return bar_.name;
  }
  Ref<host::CommandBarControls> Controls() override {
    Enter(*store_, "CommandBar.Controls");
    return std::make_shared<ControlsObject>(store_, bar_.controls, nullptr);
  }
  Ref<host::CommandBarControl> FindControl(const Variant& Type, const Variant& Id, const Variant& Tag,
                                           const Variant&, const Variant& Recursive) override {
    Enter(*store_, "CommandBar.FindControl");
    const auto type = Type.IsMissing() ? std::nullopt : std::optional(Type.ToInt32());
    const auto id = Id.IsMissing() ? std::nullopt : std::optional(Id.ToInt32());
    const auto tag = Tag.IsMissing() ? std::nullopt : std::optional(Tag.ToText());
    const bool recursive = !Recursive.IsMissing() && static_cast<bool>(Recursive.ToBool());
    const auto found = Search(*bar_.controls, type, id, tag, recursive);
    return found ? MakeControl(store_, found) : nullptr;
  }

 private:
  std::shared_ptr<BarStoreState> store_;
  BarNode bar_;
};

class BarsObject final : public host::CommandBars, Counted {
 public:
  explicit BarsObject(std::shared_ptr<BarStoreState> store) : Counted("CommandBars"), store_(std::move(store)) {}

  Ref<host::CommandBar> Item(const Variant& index) override {
    Enter(*store_, "CommandBars.Item");
    if (index.IsText()) {
      for (const auto& bar : store_->bars) {
        if (SameName(bar.name, index.ToText())) return std::make_shared<BarObject>(store_, bar);
      }
      throw host::Error(host::code::InvalidProcedureCall, u"no command bar " + index.ToText());
    }
    const auto position = index.ToInt32();
    if (position < 1 || position > static_cast<std::int32_t>(store_->bars.size()))
      throw host::Error(host::code::InvalidProcedureCall);
    return std::make_shared<BarObject>(store_, store_->bars[static_cast<std::size_t>(position - 1)]);
  }

 private:
  std::shared_ptr<BarStoreState> store_;
};

void EndRun(ControlList& list) {
  std::erase_if(list, [](const auto& control) {
    if (control->temporary) MarkDeleted(*control);
    return control->temporary;
  });
  for (auto& control : list) {
    control->receivers.Clear();
    if (control->children) EndRun(*control->children);
  }
}

}  // namespace

host::Ref<host::CommandBars> MakeCommandBars(const std::shared_ptr<BarStoreState>& store) {
  return std::make_shared<BarsObject>(store);
}

void Attach(BarStoreState& store, const std::shared_ptr<CommandHost>& host) {
  if (!store.host.expired()) throw std::logic_error("the command bars already belong to a running host");
  store.host = host;
}

void Detach(BarStoreState& store) {
  for (auto& bar : store.bars) EndRun(*bar.controls);
  store.host.reset();
}

void Press(const std::shared_ptr<BarStoreState>& store, const std::shared_ptr<ControlNode>& control,
           CommandHost& host) {
  if (control->type == host::msoControlPopup) return;  // opening a menu runs nothing
  DispatchScope dispatch(host);
  if (auto progId = DemandedAddIn(control->onAction)) host.ConnectOnDemand(*progId);
  host::Bool16 cancelDefault = host::False;
  const Ref<host::CommandBarButton> button = std::make_shared<ButtonObject>(store, control);
  const auto where = "Click " + host::ToUtf8(control->caption);
  control->receivers.ForEach([&](host::CommandBarButtonEvents& receiver) {
    Guarded(host, where, [&] { receiver.Click(button, cancelDefault); });
  });
  if (control->builtIn == BuiltIn::Save && !cancelDefault) host.SaveActivePage();
}

std::shared_ptr<ControlNode> FindPath(const BarStoreState& store, const std::vector<host::Text>& path) {
  if (path.empty() || store.bars.empty()) return nullptr;
  const ControlList* list = store.bars.front().controls.get();
  std::shared_ptr<ControlNode> found;
  for (const auto& caption : path) {
    if (!list) return nullptr;
    found = nullptr;
    for (const auto& control : *list) {
      if (control->caption == caption) {
        found = control;
        break;
      }
    }
    if (!found) return nullptr;
    list = found->children.get();
  }
  return found;
}

std::shared_ptr<ControlList> FindList(const BarStoreState& store, const std::vector<host::Text>& path) {
  if (path.empty()) return store.bars.empty() ? nullptr : store.bars.front().controls;
  const auto control = FindPath(store, path);
  return control ? control->children : nullptr;
}

std::optional<host::Text> DemandedAddIn(const host::Text& onAction) {
  if (onAction.size() < 3 || !onAction.starts_with(u"!<") || !onAction.ends_with(u">")) return std::nullopt;
  return onAction.substr(2, onAction.size() - 3);
}

}  // namespace standin
