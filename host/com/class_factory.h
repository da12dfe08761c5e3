#pragma once
// The class factory of a creatable class T. T is made with new and starts
// with the creator's one reference (RefCount). The factory itself counts as
// a live object, so the DLL stays loaded while anyone holds it.
#include <windows.h>
#include <ole2.h>

#include <new>

#include "host/com/com_ptr.h"
#include "host/com/error_info.h"
#include "host/com/module.h"

namespace host::com {

template <class T>
class ClassFactory final : public IClassFactory {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override {
    if (!out) return E_POINTER;
    if (riid == IID_IUnknown || riid == IID_IClassFactory) {
      *out = static_cast<IClassFactory*>(this);
      AddRef();
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return refs_.Add(); }
  ULONG STDMETHODCALLTYPE Release() override {
    ULONG n = refs_.Drop();
    if (n == 0) delete this;
    return n;
  }

  HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID riid, void** out) override {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (outer) return CLASS_E_NOAGGREGATION;
    // The creator's reference goes when `object` does: a refused interface
    // leaves no object behind.
    HRESULT queried = E_UNEXPECTED;
    HRESULT made = Guarded(IID_IClassFactory, nullptr, [&] {
      auto object = ComPtr<IUnknown>::Adopt(static_cast<typename T::PrimaryInterface*>(new T()));
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

 private:
  RefCount refs_;
};

// DllGetClassObject for a server with the one class T under `clsid`.
template <class T>
HRESULT GetClassObject(REFCLSID clsid, REFCLSID rclsid, REFIID riid, void** out) noexcept {
  if (!out) return E_POINTER;
  *out = nullptr;
  if (rclsid != clsid) return CLASS_E_CLASSNOTAVAILABLE;
  auto* factory = new (std::nothrow) ClassFactory<T>();
  if (!factory) return E_OUTOFMEMORY;
  HRESULT hr = factory->QueryInterface(riid, out);
  factory->Release();
  return hr;
}

}  // namespace host::com
