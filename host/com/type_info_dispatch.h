#pragma once
// IDispatch from the type information of this module's embedded type
// library (resource TYPELIB 1), so that a dual interface answers by member
// name exactly as through its vtable. A class implementing several dual
// interfaces derives from TypeInfoDispatch<I> once per interface; each keeps
// its own IDispatch methods.
#include <windows.h>
#include <ole2.h>
#include <cguid.h>

#include "host/com/com_ptr.h"

namespace host::com {

struct InterfaceTypeInfo {
  ComPtr<ITypeInfo> dispatch;  // TKIND_DISPATCH: what clients browse
  ComPtr<ITypeInfo> vtable;    // TKIND_INTERFACE: what ITypeInfo::Invoke calls through
  HRESULT status = E_UNEXPECTED;
};

// Loaded once per interface, on first use.
InterfaceTypeInfo LoadInterfaceTypeInfo(REFIID iid) noexcept;

template <class Itf>
class TypeInfoDispatch : public Itf {
 public:
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
    if (!count) return E_POINTER;
    *count = 1;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID, ITypeInfo** out) override {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (index != 0) return DISP_E_BADINDEX;
    const InterfaceTypeInfo& info = Info();
    if (FAILED(info.status)) return info.status;
    *out = ComPtr<ITypeInfo>(info.dispatch).Detach();
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID, DISPID* ids) override {
    if (riid != IID_NULL) return DISP_E_UNKNOWNINTERFACE;
    const InterfaceTypeInfo& info = Info();
    if (FAILED(info.status)) return info.status;
    return DispGetIDsOfNames(info.vtable.get(), names, count, ids);
  }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID riid, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                                   EXCEPINFO* exception, UINT* argError) override {
    if (riid != IID_NULL) return DISP_E_UNKNOWNINTERFACE;
    const InterfaceTypeInfo& info = Info();
    if (FAILED(info.status)) return info.status;
    return DispInvoke(static_cast<Itf*>(this), info.vtable.get(), id, flags, params, result, exception, argError);
  }

 private:
  static const InterfaceTypeInfo& Info() {
    static const InterfaceTypeInfo info = LoadInterfaceTypeInfo(__uuidof(Itf));
    return info;
  }
};

}  // namespace host::com
