#pragma once
// VARIANTs of one type each, built by hand, for tests: none of them goes
// through the converter that some of the tests try.
#include <windows.h>
#include <oleauto.h>

#include "host/com/variant_value.h"

namespace host::com::testing {

inline VARIANT LongVariant(LONG n) {
  VARIANT v;
  V_VT(&v) = VT_I4;
  V_I4(&v) = n;
  return v;
}

// The caller owns the BSTR.
inline VARIANT TextVariant(const wchar_t* text) {
  VARIANT v;
  V_VT(&v) = VT_BSTR;
  V_BSTR(&v) = SysAllocString(text);
  return v;
}

inline VARIANT ObjectVariant(IDispatch* object) {
  VARIANT v;
  V_VT(&v) = VT_DISPATCH;
  V_DISPATCH(&v) = object;
  return v;
}

inline VARIANT BoolRefVariant(VARIANT_BOOL* b) {
  VARIANT v;
  V_VT(&v) = VT_BOOL | VT_BYREF;
  V_BOOLREF(&v) = b;
  return v;
}

inline VariantValue Owned(VARIANT v) { return VariantValue::Adopt(v); }

}  // namespace host::com::testing
