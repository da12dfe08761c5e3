#include "host/com/dispatch/dispatch_variant.h"

#include "host/com/bstr.h"
#include "host/com/dispatch/adapted.h"
#include "host/com/dispatch/host_adapters.h"
#include "host/com/dispatch/late_bound.h"

namespace host::com {
namespace {

VariantValue Converted(const VARIANT& value, VARTYPE type) {
  VariantValue out;
  const HRESULT hr = VariantChangeType(out.put(), const_cast<VARIANT*>(&value), 0, type);
  if (hr == DISP_E_OVERFLOW) throw Error(code::Overflow);
  if (FAILED(hr)) throw Error(code::TypeMismatch);
  return out;
}

}  // namespace

VariantValue ToVariant(const Variant& value) {
  VariantValue out;
  VARIANT& v = out.get();
  if (value.IsEmpty()) return out;
  if (value.IsNull()) {
    V_VT(&v) = VT_NULL;
  } else if (value.IsError()) {
    V_VT(&v) = VT_ERROR;
    V_ERROR(&v) = static_cast<SCODE>(value.ErrorValue());
  } else if (value.IsBool()) {
    V_VT(&v) = VT_BOOL;
    V_BOOL(&v) = value.ToBool() ? VARIANT_TRUE : VARIANT_FALSE;
  } else if (value.IsInt16()) {
    V_VT(&v) = VT_I2;
    V_I2(&v) = value.ToInt16().value();
  } else if (value.IsInt32()) {
    V_VT(&v) = VT_I4;
    V_I4(&v) = value.ToInt32();
  } else if (value.IsText()) {
    Bstr text(value.ToText());
    V_VT(&v) = VT_BSTR;
    V_BSTR(&v) = text.Detach();
  } else {
    const Ref<Object> object = value.ToObject();
    IDispatch* dispatch = nullptr;
    if (object) {
      const auto* adapted = dynamic_cast<const Adapted*>(object.get());
      if (!adapted) throw Error(code::TypeMismatch);
      dispatch = adapted->dispatch();
      dispatch->AddRef();
    }
    V_VT(&v) = VT_DISPATCH;
    V_DISPATCH(&v) = dispatch;
  }
  return out;
}

Variant FromVariant(const VARIANT& value) {
  if (V_VT(&value) & VT_BYREF) {
    VariantValue direct;
    if (FAILED(VariantCopyInd(direct.put(), const_cast<VARIANT*>(&value)))) throw Error(code::TypeMismatch);
    return FromVariant(direct.get());
  }
  switch (V_VT(&value)) {
    case VT_EMPTY:
      return Variant();
    case VT_NULL:
      return Variant::MakeNull();
    case VT_ERROR:
      return Variant::MakeError(static_cast<std::uint32_t>(V_ERROR(&value)));
    case VT_BOOL:
      return Variant(V_BOOL(&value) ? True : False);
    case VT_I2:
      return Variant(static_cast<std::int16_t>(V_I2(&value)));
    case VT_UI1:
    case VT_I1:
      return Variant(static_cast<std::int16_t>(V_VT(&value) == VT_UI1 ? V_UI1(&value) : V_I1(&value)));
    case VT_I4:
      return Variant(static_cast<std::int32_t>(V_I4(&value)));
    case VT_UI2:
    case VT_UI4:
    case VT_INT:
    case VT_UINT:
    {
      const VariantValue number = Converted(value, VT_I4);
      return Variant(static_cast<std::int32_t>(V_I4(&number.get())));
    }
    case VT_BSTR:
      return Variant(TextOf(V_BSTR(&value)));
    case VT_DISPATCH:
    case VT_UNKNOWN: {
      const ComPtr<IDispatch> object = DispatchOf(value);
      return Variant(WrapHostObject(object.get()));
    }
    default:
      if (V_VT(&value) & VT_ARRAY) throw Error(code::TypeMismatch);
      const VariantValue text = Converted(value, VT_BSTR);
      return Variant(TextOf(V_BSTR(&text.get())));
  }
}

}  // namespace host::com
