#include "standin/com/events.h"

#include "host/com/error_info.h"
#include "host/com/module.h"
#include "standin/com/host_call_clock.h"

namespace standin::com {
namespace {

class Point : public IConnectionPoint {
 public:
  using Implemented = host::com::Interfaces<IConnectionPoint>;
  Point(const IID& iid, ComPtr<IConnectionPointContainer> container, std::shared_ptr<Subscriptions> subscriptions)
      : iid_(iid), container_(std::move(container)), subscriptions_(std::move(subscriptions)) {}

  HRESULT STDMETHODCALLTYPE GetConnectionInterface(IID* out) override {
    if (!out) return E_POINTER;
    *out = iid_;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetConnectionPointContainer(IConnectionPointContainer** out) override {
    if (!out) return E_POINTER;
    *out = ComPtr<IConnectionPointContainer>(container_).Detach();
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE Advise(IUnknown* sink, DWORD* cookie) override {
    if (!sink || !cookie) return E_POINTER;
    *cookie = 0;
    // A sink answers for the event interface, which is a dispinterface, and
    // is called through IDispatch.
    ComPtr<IDispatch> dispatch;
    if (FAILED(sink->QueryInterface(iid_, dispatch.put_void())) &&
        FAILED(sink->QueryInterface(IID_IDispatch, dispatch.put_void())))
      return CONNECT_E_CANNOTCONNECT;
    return host::com::Guarded(IID_IConnectionPoint, kSource, [&] { *cookie = subscriptions_->Add(dispatch); });
  }
  HRESULT STDMETHODCALLTYPE Unadvise(DWORD cookie) override {
    return subscriptions_->Remove(cookie) ? S_OK : CONNECT_E_NOCONNECTION;
  }
  HRESULT STDMETHODCALLTYPE EnumConnections(IEnumConnections** out) override {
    if (out) *out = nullptr;
    return E_NOTIMPL;
  }

 private:
  IID iid_;
  ComPtr<IConnectionPointContainer> container_;
  std::shared_ptr<Subscriptions> subscriptions_;
};

}  // namespace

void Fire(IDispatch* sink, DISPID id, std::vector<VARIANTARG>& args) {
  DISPPARAMS params{args.data(), nullptr, static_cast<UINT>(args.size()), 0};
  EXCEPINFO info{};
  UINT argError = 0;
  const HostCallClock::InAddIn calling;
  const HRESULT hr = sink->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params, nullptr, &info, &argError);
  host::com::ThrowIfFailed(hr, info);
}

void SinkBridge::RaiseCancellable(DISPID id, IDispatch* subject, host::Bool16& cancel) const {
  VARIANT_BOOL flag = cancel.value;
  std::vector<VARIANTARG> args(2);
  V_VT(&args[0]) = VT_BOOL | VT_BYREF;
  V_BOOLREF(&args[0]) = &flag;
  V_VT(&args[1]) = VT_DISPATCH;
  V_DISPATCH(&args[1]) = subject;
  Raise(id, args);
  cancel.value = flag;
}

DWORD Subscriptions::Add(ComPtr<IDispatch> sink) {
  const DWORD cookie = next_++;
  connections_.emplace(cookie, advise_(std::move(sink)));
  return cookie;
}

bool Subscriptions::Remove(DWORD cookie) {
  const auto found = connections_.find(cookie);
  if (found == connections_.end()) return false;
  // Taken out of the map first: dropping the connection releases the sink,
  // which may call back into us.
  auto connection = std::move(found->second);
  connections_.erase(found);
  connection.Reset();
  return true;
}

ComPtr<IConnectionPoint> MakeConnectionPoint(const IID& iid, ComPtr<IConnectionPointContainer> container,
                                             std::shared_ptr<Subscriptions> subscriptions) {
  return ComPtr<IConnectionPoint>::Adopt(host::com::New<Point>(iid, std::move(container), std::move(subscriptions)));
}

HRESULT ClassTypeInfo(const CLSID& clsid, ITypeInfo** out) noexcept {
  if (!out) return E_POINTER;
  *out = nullptr;
  ComPtr<ITypeLib> library;
  HRESULT hr = LoadTypeLibEx(host::com::Module::Instance().Path().c_str(), REGKIND_NONE, library.put());
  if (FAILED(hr)) return hr;
  return library->GetTypeInfoOfGuid(clsid, out);
}

}  // namespace standin::com
