#pragma once
// IDispatch of an object that has no type information and no names to look
// up: callers learn that it has none, and every lookup fails as IDispatch
// says it should. The object itself implements Invoke.
#include <windows.h>
#include <oaidl.h>

namespace host::com {

class UntypedDispatch : public IDispatch {
 public:
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
    if (!count) return E_POINTER;
    *count = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo** out) override {
    if (out) *out = nullptr;
    return DISP_E_BADINDEX;
  }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT count, LCID, DISPID* ids) override {
    for (UINT i = 0; ids && i < count; ++i) ids[i] = DISPID_UNKNOWN;
    return DISP_E_UNKNOWNNAME;
  }

 protected:
  ~UntypedDispatch() = default;
};

}  // namespace host::com
