#pragma once
// The COM object of an add-in's one creatable class: its default dual
// interface `Default` (whose members the derived class implements), the
// host's connection interface forwarded to the portable add-in, and error
// info on both.
#include <windows.h>
#include <ole2.h>

#include <memory>

#include "host/com/extensibility_bridge.h"
#include "host/com/module.h"
#include "host/com/type_info_dispatch.h"

namespace host::com {

template <class Default>
class AddInObject : public TypeInfoDispatch<Default>, public ExtensibilityBridge, public ISupportErrorInfo {
 public:
  // What the class factory hands out first.
  using PrimaryInterface = Default;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) final {
    if (!out) return E_POINTER;
    if (riid == IID_IUnknown || riid == IID_IDispatch || riid == __uuidof(Default))
      *out = static_cast<Default*>(this);
    else if (riid == __uuidof(::IDTExtensibility2))
      *out = static_cast<::IDTExtensibility2*>(this);
    else if (riid == IID_ISupportErrorInfo)
      *out = static_cast<ISupportErrorInfo*>(this);
    else {
      *out = nullptr;
      return E_NOINTERFACE;
    }
    refs_.Add();
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() final { return refs_.Add(); }
  ULONG STDMETHODCALLTYPE Release() final {
    ULONG n = refs_.Drop();
    if (n == 0) delete this;
    return n;
  }

  HRESULT STDMETHODCALLTYPE InterfaceSupportsErrorInfo(REFIID riid) final {
    return riid == __uuidof(Default) || riid == __uuidof(::IDTExtensibility2) ? S_OK : S_FALSE;
  }

 protected:
  AddInObject(std::shared_ptr<host::IDTExtensibility2> addIn, HostGlobalsSlot& globals, const OLECHAR* source)
      : ExtensibilityBridge(std::move(addIn), globals, source) {}
  virtual ~AddInObject() = default;

 private:
  RefCount refs_;
};

}  // namespace host::com
