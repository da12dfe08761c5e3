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
      : Eventful(CLSID_CommandBarButton, DIID__CommandBarButtonEvents, AdviseThrough<ButtonEvents>(std::dynamic_pointer_cast<host::CommandBarButton>(control))),
        control_(std::move(control)) {}

  HRESULT STDMETHODCALLTYPE get_Type(LONG* type) override {
    return Produce<ICommandBarControl>(type, [&] { return long{control_->Type()}; });
  }
  HRESULT STDMETHODCALLTYPE get_Caption(BSTR* caption) override {
    return Produce<ICommandBarControl>(caption, [&] { return Bstr(control_->Caption()); });
  }
  HRESULT STDMETHODCALLTYPE put_Caption(BSTR caption) override {
    return Run([&] { control_->put_Caption(TextOf(caption)); });
  }
  HRESULT STDMETHODCALLTYPE get_Tag(BSTR* tag) override {
    return Produce<ICommandBarControl>(tag, [&] { return Bstr(control_->Tag()); });
  }
  HRESULT STDMETHODCALLTYPE put_Tag(BSTR tag) override {
    return Run([&] { control_->put_Tag(TextOf(tag)); });
  }
  HRESULT STDMETHODCALLTYPE get_OnAction(BSTR* action) override {
    return Produce<ICommandBarControl>(action, [&] { return Bstr(control_->OnAction()); });
  }
  HRESULT STDMETHODCALLTYPE put_OnAction(BSTR action) override {
    return Run([&] { control_->put_OnAction(TextOf(action)); });
  }
  HRESULT STDMETHODCALLTYPE get_Parameter(BSTR* parameter) override {
    return Produce<ICommandBarControl>(parameter, [&] { return Bstr(control_->Parameter()); });
  }
  HRESULT STDMETHODCALLTYPE put_Parameter(BSTR parameter) override {
    return Run([&] { control_->put_Parameter(TextOf(parameter)); });
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
  if (!bars) return nullptr;
  return ComPtr<ICommandBars>::Adopt(host::com::New<BarsObject>(std::move(bars)));
}
ComPtr<ICommandBar> CommandBarFace(host::Ref<host::CommandBar> bar) {
  if (!bar) return nullptr;
  return ComPtr<ICommandBar>::Adopt(host::com::New<BarObject>(std::move(bar)));
}
ComPtr<ICommandBarControls> ControlsFace(host::Ref<host::CommandBarControls> controls) {
  if (!controls) return nullptr;
  return ComPtr<ICommandBarControls>::Adopt(host::com::New<ControlsObject>(std::move(controls)));
}
ComPtr<ICommandBarControl> ControlFace(host::Ref<host::CommandBarControl> control) {
  if (!control) return nullptr;
  return ComPtr<ICommandBarControl>::Adopt(host::com::New<ControlObject>(std::move(control)));
}

}  // namespace standin::com
