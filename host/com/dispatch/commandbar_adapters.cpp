// The Office command bars: bars, their controls, popups and buttons.
#include "host/com/dispatch/adapted.h"
#include "host/com/dispatch/adapters.h"
#include "host/com/dispatch/event_sink.h"

namespace host::com {
namespace {

// _CommandBarButtonEvents of the Office library; Click is its member 1.
constexpr IID kCommandBarButtonEvents = {0x000C0351, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
constexpr DISPID kClick = 1;

template <class Interface>
class ControlAdapter : public Interface, public Adapted {
 public:
  using Adapted::Adapted;
  std::int32_t Type() override { return late().Get(u"Type").ToInt32(); }
  Text Caption() override { return late().Get(u"Caption").ToText(); }
  void put_Caption(const Text& value) override { late().Put(u"Caption", value); }
  Text Tag() override { return late().Get(u"Tag").ToText(); }
  void put_Tag(const Text& value) override { late().Put(u"Tag", value); }
  Text OnAction() override { return late().Get(u"OnAction").ToText(); }
  void put_OnAction(const Text& value) override { late().Put(u"OnAction", value); }
  Text Parameter() override { return late().Get(u"Parameter").ToText(); }
  void put_Parameter(const Text& value) override { late().Put(u"Parameter", value); }
  void Delete(const Variant& Temporary) override {
    const Variant args[] = {Temporary};
    late().Call(u"Delete", args);
  }
  void Execute() override { late().Call(u"Execute"); }
};

class CommandBarControlsAdapter final : public CommandBarControls, public Adapted {
 public:
  using Adapted::Adapted;
  Ref<CommandBarControl> Item(const Variant& index) override { return AdaptControl(ItemAt(index)); }
  std::int32_t Count() override { return late().Get(u"Count").ToInt32(); }
  // Every argument given goes by name, so the host's defaults hold for the rest.
  Ref<CommandBarControl> Add(const Variant& Type, const Variant& Id, const Variant& Parameter, const Variant& Before,
                             const Variant& Temporary) override {
    std::vector<NamedArgument> given;
    const NamedArgument all[] = {
        {u"Type", Type}, {u"Id", Id}, {u"Parameter", Parameter}, {u"Before", Before}, {u"Temporary", Temporary}};
    for (const NamedArgument& a : all)
      if (!a.value.IsMissing()) given.push_back(a);
    return AdaptControl(late().GetDispatchNamed(u"Add", given));
  }
};

class CommandBarPopupAdapter final : public ControlAdapter<CommandBarPopup> {
 public:
  using ControlAdapter::ControlAdapter;
  Ref<CommandBarControls> Controls() override { return AdaptControls(late().GetDispatch(u"Controls")); }
};

class CommandBarButtonAdapter final : public ControlAdapter<CommandBarButton> {
 public:
  using ControlAdapter::ControlAdapter;

  Connection Advise(CommandBarButtonEvents& sink) override {
    auto handler = [&sink](DISPID member, DISPPARAMS& params) {
      if (member != kClick) return;
      const Ref<CommandBarButton> button = TakeAs<CommandBarButton>(AdaptControl(DispatchOf(EventArgument(params, 2, 0))));
      VARIANT_BOOL* cancelRef = BoolReference(EventArgument(params, 2, 1));
      Bool16 cancel{cancelRef ? *cancelRef : V_BOOL(&EventArgument(params, 2, 1))};
      sink.Click(button, cancel);
      if (cancelRef) *cancelRef = cancel ? VARIANT_TRUE : VARIANT_FALSE;
    };
    return advisories_.Add(host::com::Advise(dispatch(), kCommandBarButtonEvents, std::move(handler)));
  }

 private:
  Advisories advisories_;
};

class CommandBarAdapter final : public CommandBar, public Adapted {
 public:
  using Adapted::Adapted;
  Text Name() override { return late().Get(u"Name").ToText(); }
  Ref<CommandBarControls> Controls() override { return AdaptControls(late().GetDispatch(u"Controls")); }
  Ref<CommandBarControl> FindControl(const Variant& Type, const Variant& Id, const Variant& Tag, const Variant& Visible,
                                     const Variant& Recursive) override {
    const Variant args[] = {Type, Id, Tag, Visible, Recursive};
    return AdaptControl(late().GetDispatch(u"FindControl", args));
  }
};

class CommandBarsAdapter final : public CommandBars, public Adapted {
 public:
  using Adapted::Adapted;
  Ref<CommandBar> Item(const Variant& index) override { return AdaptCommandBar(ItemAt(index)); }
};

}  // namespace

Ref<CommandBars> AdaptCommandBars(LateBound o) { return NewAdapter<CommandBarsAdapter>(std::move(o)); }
Ref<CommandBar> AdaptCommandBar(LateBound o) { return NewAdapter<CommandBarAdapter>(std::move(o)); }
Ref<CommandBarControls> AdaptControls(LateBound o) { return NewAdapter<CommandBarControlsAdapter>(std::move(o)); }

Ref<CommandBarControl> AdaptControl(LateBound object) {
  if (!object) return nullptr;
  LateBound control(std::move(object));
  switch (control.Get(u"Type").ToInt32()) {
    case msoControlPopup:
      return std::make_shared<CommandBarPopupAdapter>(std::move(control));
    case msoControlButton:
      return std::make_shared<CommandBarButtonAdapter>(std::move(control));
    default:
      return std::make_shared<ControlAdapter<CommandBarControl>>(std::move(control));
  }
}

}  // namespace host::com
