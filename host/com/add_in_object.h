#pragma once
// The COM object of an add-in's one creatable class, made as ComObject<T>: its
// default dual interface `Default` (whose members the derived class
// implements), the host's connection interface forwarded to the portable
// add-in, and error info on both.
#include <windows.h>
#include <ole2.h>

#include <memory>

#include "host/com/extensibility_bridge.h"
#include "host/com/object.h"
#include "host/com/type_info_dispatch.h"

namespace host::com {

template <class Default, VariantReferences references = VariantReferences::AsGiven>
class AddInObject : public TypeInfoDispatch<Default, references>, public ExtensibilityBridge, public ISupportErrorInfo {
 public:
  using Implemented = Interfaces<Default, ::IDTExtensibility2, ISupportErrorInfo>;

  HRESULT STDMETHODCALLTYPE InterfaceSupportsErrorInfo(REFIID riid) final {
    return riid == __uuidof(Default) || riid == __uuidof(::IDTExtensibility2) ? S_OK : S_FALSE;
  }

 protected:
  AddInObject(std::shared_ptr<host::IDTExtensibility2> addIn, HostGlobalsSlot& globals, const OLECHAR* source)
      : ExtensibilityBridge(std::move(addIn), globals, source) {}
  virtual ~AddInObject() = default;
};

}  // namespace host::com
