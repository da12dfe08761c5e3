#pragma once
// The class factory of a creatable class T, made as ComObject<T>. The factory
// itself counts as a live object, so the DLL stays loaded while anyone holds
// it.
#include <windows.h>
#include <ole2.h>

#include <new>

#include "host/com/com_ptr.h"
#include "host/com/error_info.h"
#include "host/com/module.h"
#include "host/com/object.h"

namespace host::com {

template <class T>
class ClassFactory : public IClassFactory {
 public:
  using Implemented = Interfaces<IClassFactory>;

  HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID riid, void** out) override {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (outer) return CLASS_E_NOAGGREGATION;
    // The creator's reference goes when `object` does: a refused interface
    // leaves no object behind.
    HRESULT queried = E_UNEXPECTED;
    HRESULT made = Guarded(IID_IClassFactory, nullptr, [&] {
      auto object = ComPtr<IUnknown>::Adopt(New<T>());
      queried = object->QueryInterface(riid, out);
    });
    return FAILED(made) ? made : queried;
  }
  HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override {
    if (lock)
      Module::Instance().Lock();
    else
      Module::Instance().Unlock();
    return S_OK;
  }
};

// DllGetClassObject for a server with the one class T under `clsid`.
template <class T>
HRESULT GetClassObject(REFCLSID clsid, REFCLSID rclsid, REFIID riid, void** out) noexcept {
  if (!out) return E_POINTER;
  *out = nullptr;
  if (rclsid != clsid) return CLASS_E_CLASSNOTAVAILABLE;
  auto* factory = new (std::nothrow) ComObject<ClassFactory<T>>();
  if (!factory) return E_OUTOFMEMORY;
  HRESULT hr = factory->QueryInterface(riid, out);
  factory->Release();
  return hr;
}

}  // namespace host::com
