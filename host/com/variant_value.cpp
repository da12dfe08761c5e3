#include "host/com/variant_value.h"

#include "host/error.h"

namespace host::com {

VariantValue VariantValue::Copy() const {
  VariantValue r;
  HRESULT hr = VariantCopy(&r.v_, const_cast<VARIANT*>(&v_));
  if (FAILED(hr)) throw Error(static_cast<std::uint32_t>(hr));
  return r;
}

}  // namespace host::com
