#include "host/com/type_info_dispatch.h"

#include <new>

#include "host/com/module.h"

namespace host::com {

ArgumentValues::~ArgumentValues() {
  for (VARIANTARG& v : values_) VariantClear(&v);
}

HRESULT ArgumentValues::Read(const DISPPARAMS& params, UINT* argError) noexcept {
  if (params.cArgs > 0 && !params.rgvarg) return E_INVALIDARG;
  try {
    values_.resize(params.cArgs);
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  }
  for (VARIANTARG& v : values_) VariantInit(&v);
  for (UINT i = 0; i < params.cArgs; ++i) {
    VARIANTARG* given = &params.rgvarg[i];  // only read
    const HRESULT hr = V_VT(given) == (VT_BYREF | VT_VARIANT) ? VariantCopyInd(&values_[i], given)
                                                                : VariantCopy(&values_[i], given);
    if (hr == E_OUTOFMEMORY) return hr;
    if (FAILED(hr)) {
      if (argError) *argError = i;
      return DISP_E_TYPEMISMATCH;
    }
  }
  params_ = params;
  params_.rgvarg = values_.empty() ? nullptr : values_.data();
  return S_OK;
}

InterfaceTypeInfo LoadInterfaceTypeInfo(REFIID iid) noexcept {
  InterfaceTypeInfo info;
  ComPtr<ITypeLib> library;
  info.status = LoadTypeLibEx(Module::Instance().Path().c_str(), REGKIND_NONE, library.put());
  if (FAILED(info.status)) return info;
  ComPtr<ITypeInfo> described;
  info.status = library->GetTypeInfoOfGuid(iid, described.put());
  if (FAILED(info.status)) return info;

  TYPEATTR* attributes = nullptr;
  info.status = described->GetTypeAttr(&attributes);
  if (FAILED(info.status)) return info;
  const TYPEKIND kind = attributes->typekind;
  described->ReleaseTypeAttr(attributes);

  if (kind == TKIND_INTERFACE) {
    info.dispatch = described;
    info.vtable = described;
    return info;
  }
  // A dual interface is described as a dispinterface; its vtable half is the
  // type it refers to as implemented type -1.
  info.dispatch = described;
  HREFTYPE vtableRef = 0;
  info.status = described->GetRefTypeOfImplType(static_cast<UINT>(-1), &vtableRef);
  if (SUCCEEDED(info.status)) info.status = described->GetRefTypeInfo(vtableRef, info.vtable.put());
  return info;
}

}  // namespace host::com
