#pragma once
// IDispatch from the type information of this module's embedded type
// library (resource TYPELIB 1), so that a dual interface answers by member
// name exactly as through its vtable. A class implementing several dual
// interfaces derives from TypeInfoDispatch<I> once per interface; each keeps
// its own IDispatch methods.
#include <windows.h>
#include <ole2.h>
#include <cguid.h>

#include <vector>

#include "host/com/com_ptr.h"

namespace host::com {

struct InterfaceTypeInfo {
  ComPtr<ITypeInfo> dispatch;  // TKIND_DISPATCH: what clients browse
  ComPtr<ITypeInfo> vtable;    // TKIND_INTERFACE: what ITypeInfo::Invoke calls through
  HRESULT status = E_UNEXPECTED;
};

// Loaded once per interface, on first use.
InterfaceTypeInfo LoadInterfaceTypeInfo(REFIID iid) noexcept;

// How Invoke takes an argument that refers to a variant (VT_BYREF |
// VT_VARIANT), as scripts pass every variable: DispInvoke accepts one only
// for a parameter declared VARIANT*.
enum class VariantReferences {
  AsGiven,
  // A copy of the variant referred to, converted to the declared type as a
  // value would be; the caller's variable is never touched. Only for an
  // interface whose members do not change their arguments.
  ReadByValue,
};

// The arguments of one call with each VT_BYREF | VT_VARIANT argument replaced
// by a copy of the variant it refers to; the others copied as they are.
class ArgumentValues {
 public:
  ArgumentValues() = default;
  ArgumentValues(const ArgumentValues&) = delete;
  ArgumentValues& operator=(const ArgumentValues&) = delete;
  ~ArgumentValues();

  // S_OK, E_OUTOFMEMORY, or DISP_E_TYPEMISMATCH with *argError at an
  // argument that cannot be read (a reference to a reference).
  HRESULT Read(const DISPPARAMS& params, UINT* argError) noexcept;
  DISPPARAMS* get() { return &params_; }

 private:
  std::vector<VARIANTARG> values_;
  DISPPARAMS params_{};
};

template <class Itf, VariantReferences references = VariantReferences::AsGiven>
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
    if constexpr (references == VariantReferences::ReadByValue) {
      if (!params) return E_INVALIDARG;
      ArgumentValues values;
      if (HRESULT read = values.Read(*params, argError); FAILED(read)) return read;
      return DispInvoke(static_cast<Itf*>(this), info.vtable.get(), id, flags, values.get(), result, exception,
                        argError);
    }
    return DispInvoke(static_cast<Itf*>(this), info.vtable.get(), id, flags, params, result, exception, argError);
  }

 private:
  static const InterfaceTypeInfo& Info() {
    static const InterfaceTypeInfo info = LoadInterfaceTypeInfo(__uuidof(Itf));
    return info;
  }
};

}  // namespace host::com
