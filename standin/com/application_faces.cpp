// The application with its OnPageClose event, and the add-in list with the
// events of each add-in's record.
#include "standin/com/events.h"
#include "standin/com/faces.h"
#include "standin/com/variant_conversion.h"
#include "host/com/safe_array.h"

namespace standin::com {
namespace {

using host::com::Bstr;

class ApplicationEvents final : public host::ApplicationEvents, SinkBridge {
 public:
  using SinkBridge::SinkBridge;
  void OnPageClose(const host::Ref<host::PageWindow>& pPage, host::Bool16& Cancel) override {
    RaiseCancellable(1, PageWindowFace(pPage).get(), Cancel);
  }
};

class AddInEvents final : public host::AddInInstanceEvents, SinkBridge {
 public:
  using SinkBridge::SinkBridge;

  void OnDisconnection(host::ext_DisconnectMode RemoveMode, host::Custom&) override {
    auto custom = host::com::SafeArray::Vector(VT_VARIANT, 0);
    SAFEARRAY* array = custom.get();
    std::vector<VARIANTARG> args(2);
    V_VT(&args[0]) = VT_ARRAY | VT_VARIANT | VT_BYREF;
    V_ARRAYREF(&args[0]) = &array;
    V_VT(&args[1]) = VT_I4;
    V_I4(&args[1]) = static_cast<LONG>(RemoveMode);
    Raise(1, args);
  }
  void OnAddInsUpdate(host::Custom&) override { FireCustom(2); }
  void OnBeginShutdown(host::Custom&) override { FireCustom(3); }

 private:
  void FireCustom(DISPID id) {
    auto custom = host::com::SafeArray::Vector(VT_VARIANT, 0);
    SAFEARRAY* array = custom.get();
    std::vector<VARIANTARG> args(1);
    V_VT(&args[0]) = VT_ARRAY | VT_VARIANT | VT_BYREF;
    V_ARRAYREF(&args[0]) = &array;
    Raise(id, args);
  }
};

class AddInObject : public Eventful<ICOMAddIn> {
 public:
  explicit AddInObject(host::Ref<host::COMAddIn> addIn)
      : Eventful(CLSID_COMAddIn, DIID_AddInInstanceEvents, AdviseThrough<AddInEvents>(addIn)),
        addIn_(std::move(addIn)) {}

  HRESULT STDMETHODCALLTYPE get_ProgId(BSTR* progId) override {
    return Produce<ICOMAddIn>(progId, [&] { return Bstr(addIn_->ProgId()); });
  }
  HRESULT STDMETHODCALLTYPE get_Connect(VARIANT_BOOL* connected) override {
    return Produce<ICOMAddIn>(connected, [&] { return VARIANT_BOOL(addIn_->Connect().value); });
  }
  HRESULT STDMETHODCALLTYPE put_Connect(VARIANT_BOOL connect) override {
    return Run([&] { addIn_->put_Connect(host::Bool16{connect}); });
  }

 private:
  host::Ref<host::COMAddIn> addIn_;
};

class AddInsObject : public FaceOf<ICOMAddIns, host::COMAddIns> {
 public:
  using FaceOf::FaceOf;

  HRESULT STDMETHODCALLTYPE Item(VARIANT index, ICOMAddIn** addIn) override {
    return Produce<ICOMAddIns>(addIn, [&] { return AddInFace(object_->Item(FromVariant(index))); });
  }
  HRESULT STDMETHODCALLTYPE get_Count(LONG* count) override {
    return Produce<ICOMAddIns>(count, [&] { return long{object_->Count()}; });
  }
};

class ApplicationObject : public Eventful<IApplication> {
 public:
  explicit ApplicationObject(host::Ref<host::HostApplication> application)
      : Eventful(CLSID_Application, DIID_ApplicationEvents, AdviseThrough<ApplicationEvents>(application)),
        application_(std::move(application)) {}

  HRESULT STDMETHODCALLTYPE get_ActivePageWindow(IPageWindow** window) override {
    return Produce<IApplication>(window, [&] { return PageWindowFace(application_->ActivePageWindow()); });
  }
  HRESULT STDMETHODCALLTYPE get_ActiveWebWindow(IWebWindow** window) override {
    return Produce<IApplication>(window, [&] { return WebWindowFace(application_->ActiveWebWindow()); });
  }
  HRESULT STDMETHODCALLTYPE get_CommandBars(ICommandBars** bars) override {
    return Produce<IApplication>(bars, [&] { return CommandBarsFace(application_->CommandBars()); });
  }
  HRESULT STDMETHODCALLTYPE get_COMAddIns(ICOMAddIns** addIns) override {
    return Produce<IApplication>(addIns, [&] { return AddInsFace(application_->COMAddIns()); });
  }

 private:
  host::Ref<host::HostApplication> application_;
};

}  // namespace

ComPtr<IApplication> ApplicationFace(host::Ref<host::HostApplication> application) {
  return NewFace<IApplication, ApplicationObject>(std::move(application));
}
ComPtr<ICOMAddIns> AddInsFace(host::Ref<host::COMAddIns> addIns) {
  return NewFace<ICOMAddIns, AddInsObject>(std::move(addIns));
}
ComPtr<ICOMAddIn> AddInFace(host::Ref<host::COMAddIn> addIn) {
  return NewFace<ICOMAddIn, AddInObject>(std::move(addIn));
}

}  // namespace standin::com
