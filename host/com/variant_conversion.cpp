#include "host/com/variant_conversion.h"

#include <cstdint>

#include "host/com/bstr.h"
#include "host/com/com_ptr.h"
#include "host/error.h"

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

VariantValue ToVariant(const Variant& value, const DispatchOfObject& dispatchOf) {
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
    IDispatch* dispatch = dispatchOf(value.ToObject());
    V_VT(&v) = VT_DISPATCH;
    V_DISPATCH(&v) = dispatch;
  }
  return out;
}

Variant FromVariant(const VARIANT& value, const ObjectOfDispatch& objectOf) {
  if (V_VT(&value) & VT_BYREF) {
    VariantValue direct;
    if (FAILED(VariantCopyInd(direct.put(), const_cast<VARIANT*>(&value)))) throw Error(code::TypeMismatch);
    return FromVariant(direct.get(), objectOf);
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
      return Variant(static_cast<std::int16_t>(V_UI1(&value)));
    case VT_I1:
      return Variant(static_cast<std::int16_t>(V_I1(&value)));
    case VT_I4:
      return Variant(static_cast<std::int32_t>(V_I4(&value)));
    case VT_UI2:
      return Variant(static_cast<std::int32_t>(V_UI2(&value)));
    case VT_INT:
      return Variant(static_cast<std::int32_t>(V_INT(&value)));
    case VT_UI4:
    case VT_UINT: {
      // Checked here: Wine's VariantChangeType wraps these round instead of
      // reporting the overflow.
      const ULONG number = V_VT(&value) == VT_UI4 ? V_UI4(&value) : V_UINT(&value);
      if (number > static_cast<ULONG>(INT32_MAX)) throw Error(code::Overflow);
      return Variant(static_cast<std::int32_t>(number));
    }
    case VT_BSTR:
      return Variant(TextOf(V_BSTR(&value)));
    case VT_DISPATCH:
    case VT_UNKNOWN:
      return Variant(objectOf(DispatchOf(value).get()));
    default:
      if (V_VT(&value) & VT_ARRAY) throw Error(code::TypeMismatch);
      const VariantValue text = Converted(value, VT_BSTR);
      return Variant(TextOf(V_BSTR(&text.get())));
  }
}

ComPtr<IDispatch> DispatchOf(const VARIANT& value) {
  const VARIANT* v = &value;
  if (V_VT(v) == (VT_VARIANT | VT_BYREF)) v = V_VARIANTREF(v);
  switch (V_VT(v)) {
    case VT_EMPTY:
    case VT_NULL:
      return nullptr;
    case VT_DISPATCH:
      return ComPtr<IDispatch>::Retain(V_DISPATCH(v));
    case VT_DISPATCH | VT_BYREF:
      return ComPtr<IDispatch>::Retain(*V_DISPATCHREF(v));
    case VT_UNKNOWN: {
      if (!V_UNKNOWN(v)) return nullptr;
      ComPtr<IDispatch> dispatch;
      if (FAILED(V_UNKNOWN(v)->QueryInterface(IID_IDispatch, dispatch.put_void()))) throw Error(code::TypeMismatch);
      return dispatch;
    }
    default:
      throw Error(code::TypeMismatch);
  }
}

}  // namespace host::com
