#include "host/com/safe_array.h"

#include "host/com/hresult_error.h"

namespace host::com {

SafeArray SafeArray::Vector(VARTYPE type, ULONG count) {
  SAFEARRAY* a = SafeArrayCreateVector(type, 0, count);
  if (!a) ThrowHresult(E_OUTOFMEMORY);
  return Adopt(a);
}

LONG SafeArray::size() const {
  if (!get() || SafeArrayGetDim(get()) != 1) return 0;
  LONG lower = 0, upper = -1;
  SafeArrayGetLBound(get(), 1, &lower);
  SafeArrayGetUBound(get(), 1, &upper);
  return upper - lower + 1;
}

}  // namespace host::com
