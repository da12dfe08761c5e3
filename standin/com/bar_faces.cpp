// The command bars, their controls, and each button's Click event.
#include "standin/com/events.h"
#include "standin/com/faces.h"
#include "standin/com/variant_conversion.h"

namespace standin::com {
namespace {

using host::com::Bstr;
using host::com::TextOf;

class ButtonEvents final : public host::CommandBarButtonEvents, SinkBridge {
 public:
  using SinkBridge::SinkBridge;
  void Click(const host::Ref<host::CommandBarButton>& Ctrl, host::Bool16& CancelDefault) override {
    RaiseCancellable(1, ControlFace(Ctrl).get(), CancelDefault);
  }
};

class ControlObject : public Eventful<ICommandBarControl> {
 public:
  explicit ControlObject(host::Ref<host::CommandBarControl> control)
      : Eventful(CLSID_CommandBarButton, DIID__CommandBarButtonEvents,
                 AdviseThrough<ButtonEvents>(std::dynamic_pointer_cast<host::CommandBarButton>(control))),
        control_(std::move(control)) {}

  HRESULT STDMETHODCALLTYPE get_Type(LONG* type) override {
    return Produce<ICommandBarControl>(type, [&] { return long{control_->Type()}; });
  }
  HRESULT STDMETHODCALLTYPE get_Caption(BSTR* caption) override { return GetText(caption, &host::CommandBarControl::Caption); }
  HRESULT STDMETHODCALLTYPE get_Tag(BSTR* tag) override { return GetText(tag, &host::CommandBarControl::Tag); }
  HRESULT STDMETHODCALLTYPE get_OnAction(BSTR* action) override { return GetText(action, &host::CommandBarControl::OnAction); }
  HRESULT STDMETHODCALLTYPE get_Parameter(BSTR* parameter) override { return GetText(parameter, &host::CommandBarControl::Parameter); }
  HRESULT STDMETHODCALLTYPE put_Caption(BSTR caption) override { return PutText(caption, &host::CommandBarControl::put_Caption); }
  HRESULT STDMETHODCALLTYPE put_Tag(BSTR tag) override { return PutText(tag, &host::CommandBarControl::put_Tag); }
  HRESULT STDMETHODCALLTYPE put_OnAction(BSTR action) override { return PutText(action, &host::CommandBarControl::put_OnAction); }
  HRESULT STDMETHODCALLTYPE put_Parameter(BSTR parameter) override {
    return PutText(parameter, &host::CommandBarControl::put_Parameter);
  }
  HRESULT STDMETHODCALLTYPE Delete(VARIANT temporary) override {
    return Run([&] { control_->Delete(FromVariant(temporary)); });
  }
  HRESULT STDMETHODCALLTYPE Execute() override {
    return Run([&] { control_->Execute(); });
  }
  HRESULT STDMETHODCALLTYPE get_Controls(ICommandBarControls** controls) override {
    return Produce<ICommandBarControl>(controls, [&] {
      auto popup = std::dynamic_pointer_cast<host::CommandBarPopup>(control_);
      if (!popup) throw host::Error(host::code::NotSupported);
      return ControlsFace(popup->Controls());
    });
  }

 private:
  // The control's text properties, each one call of the portable control.
  HRESULT GetText(BSTR* out, host::Text (host::CommandBarControl::*get)()) {
    return Produce<ICommandBarControl>(out, [&] { return Bstr(((*control_).*get)()); });
  }
  HRESULT PutText(BSTR value, void (host::CommandBarControl::*put)(const host::Text&)) {
    return Run([&] { ((*control_).*put)(TextOf(value)); });
  }

  host::Ref<host::CommandBarControl> control_;
};

class ControlsObject : public FaceOf<ICommandBarControls, host::CommandBarControls> {
 public:
  using FaceOf::FaceOf;

  HRESULT STDMETHODCALLTYPE Item(VARIANT index, ICommandBarControl** control) override {
    return Produce<ICommandBarControls>(control, [&] { return ControlFace(object_->Item(FromVariant(index))); });
  }
  HRESULT STDMETHODCALLTYPE get_Count(LONG* count) override {
    return Produce<ICommandBarControls>(count, [&] { return long{object_->Count()}; });
  }
  HRESULT STDMETHODCALLTYPE Add(VARIANT type, VARIANT id, VARIANT parameter, VARIANT before, VARIANT temporary,
                                ICommandBarControl** control) override {
    return Produce<ICommandBarControls>(control, [&] {
      return ControlFace(object_->Add(FromVariant(type), FromVariant(id), FromVariant(parameter), FromVariant(before),
                                      FromVariant(temporary)));
    });
  }
};

class BarObject : public FaceOf<ICommandBar, host::CommandBar> {
 public:
  using FaceOf::FaceOf;

  HRESULT STDMETHODCALLTYPE get_Name(BSTR* name) override {
    return Produce<ICommandBar>(name, [&] { return Bstr(object_->Name()); });
  }
  HRESULT STDMETHODCALLTYPE get_Controls(ICommandBarControls** controls) override {
    return Produce<ICommandBar>(controls, [&] { return ControlsFace(object_->Controls()); });
  }
  HRESULT STDMETHODCALLTYPE FindControl(VARIANT type, VARIANT id, VARIANT tag, VARIANT visible, VARIANT recursive,
                                        ICommandBarControl** control) override {
    return Produce<ICommandBar>(control, [&] {
      return ControlFace(object_->FindControl(FromVariant(type), FromVariant(id), FromVariant(tag),
                                              FromVariant(visible), FromVariant(recursive)));
    });
  }
};

class BarsObject : public FaceOf<ICommandBars, host::CommandBars> {
 public:
  using FaceOf::FaceOf;

  HRESULT STDMETHODCALLTYPE Item(VARIANT index, ICommandBar** bar) override {
    return Produce<ICommandBars>(bar, [&] { return CommandBarFace(object_->Item(FromVariant(index))); });
  }
};

}  // namespace

ComPtr<ICommandBars> CommandBarsFace(host::Ref<host::CommandBars> bars) {
  return NewFace<ICommandBars, BarsObject>(std::move(bars));
}
ComPtr<ICommandBar> CommandBarFace(host::Ref<host::CommandBar> bar) {
  return NewFace<ICommandBar, BarObject>(std::move(bar));
}
ComPtr<ICommandBarControls> ControlsFace(host::Ref<host::CommandBarControls> controls) {
  return NewFace<ICommandBarControls, ControlsObject>(std::move(controls));
}
ComPtr<ICommandBarControl> ControlFace(host::Ref<host::CommandBarControl> control) {
  return NewFace<ICommandBarControl, ControlObject>(std::move(control));
}

}  // namespace standin::com
