#include "host/com/variant_value.h"

#include "host/com/error_info.h"
#include "host/error.h"

namespace host::com {

VariantValue VariantValue::Copy() const {
  VariantValue r;
  ThrowIfFailed(VariantCopy(&r.v_, const_cast<VARIANT*>(&v_)));
  return r;
}

}  // namespace host::com
