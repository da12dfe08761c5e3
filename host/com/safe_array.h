#pragma once
// An owned SAFEARRAY, destroyed when it goes.
#include <windows.h>
#include <ole2.h>

#include "host/com/unique_handle.h"

namespace host::com {

class SafeArray : public UniqueHandle<SafeArray, SAFEARRAY*, &SafeArrayDestroy> {
 public:
  // A one-dimensional array of `count` elements from 0; throws
  // host::Error(E_OUTOFMEMORY) when it cannot be made.
  static SafeArray Vector(VARTYPE type, ULONG count);

  // Elements of a one-dimensional array; 0 for none.
  LONG size() const;
};

}  // namespace host::com
