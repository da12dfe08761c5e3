#include "standin/com/variant_conversion.h"

#include "host/com/bstr.h"
#include "host/com/error_info.h"
#include "host/error.h"

namespace standin::com {

host::Variant FromVariant(const VARIANT& value) {
  if (V_VT(&value) & VT_BYREF) {
    host::com::VariantValue direct;
    host::com::ThrowIfFailed(VariantCopyInd(direct.put(), const_cast<VARIANT*>(&value)));
    return FromVariant(direct.get());
  }
  switch (V_VT(&value)) {
    case VT_EMPTY: return host::Variant();
    case VT_NULL: return host::Variant::MakeNull();
    case VT_ERROR: return host::Variant::MakeError(static_cast<std::uint32_t>(V_ERROR(&value)));
    case VT_BOOL: return host::Variant(host::Bool16{V_BOOL(&value)});
    case VT_I2: return host::Variant(static_cast<std::int16_t>(V_I2(&value)));
    case VT_I4: return host::Variant(static_cast<std::int32_t>(V_I4(&value)));
    case VT_BSTR: return host::Variant(host::com::TextOf(V_BSTR(&value)));
    case VT_DISPATCH:
    case VT_UNKNOWN:
      throw host::Error(host::code::TypeMismatch);
    default: break;
  }
  host::com::VariantValue number;
  if (FAILED(VariantChangeType(number.put(), const_cast<VARIANT*>(&value), 0, VT_I4)))
    throw host::Error(host::code::TypeMismatch);
  return host::Variant(static_cast<std::int32_t>(V_I4(&number.get())));
}

host::com::VariantValue ToVariant(const host::Variant& value) {
  host::com::VariantValue out;
  VARIANT& v = out.get();
  if (value.IsEmpty()) return out;
  if (value.IsNull()) {
    V_VT(&v) = VT_NULL;
  } else if (value.IsError()) {
    V_VT(&v) = VT_ERROR;
    V_ERROR(&v) = static_cast<SCODE>(value.ErrorValue());
  } else if (value.IsBool()) {
    V_VT(&v) = VT_BOOL;
    V_BOOL(&v) = value.ToBool().value;
  } else if (value.IsInt16()) {
    V_VT(&v) = VT_I2;
    V_I2(&v) = value.ToInt16().value();
  } else if (value.IsInt32()) {
    V_VT(&v) = VT_I4;
    V_I4(&v) = value.ToInt32();
  } else if (value.IsText()) {
    host::com::Bstr text(value.ToText());
    V_VT(&v) = VT_BSTR;
    V_BSTR(&v) = text.Detach();
  } else {
    throw host::Error(host::code::TypeMismatch);
  }
  return out;
}

}  // namespace standin::com
