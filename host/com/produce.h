#pragma once
// A COM property or method with a result: its slot is cleared before the
// body runs, so that a failure never hands out garbage (a null slot is
// E_POINTER), the body's value goes into it, and a failure becomes its
// HRESULT with error info.
#include <windows.h>
#include <ole2.h>

#include <utility>

#include "host/com/bstr.h"
#include "host/com/com_ptr.h"
#include "host/com/error_info.h"
#include "host/com/variant_value.h"

namespace host::com {

template <class Itf>
void Clear(Itf** out) { *out = nullptr; }
inline void Clear(BSTR* out) { *out = nullptr; }
inline void Clear(long* out) { *out = 0; }
inline void Clear(VARIANT_BOOL* out) { *out = VARIANT_FALSE; }
inline void Clear(VARIANT* out) { VariantInit(out); }

template <class Itf>
void Deliver(ComPtr<Itf> value, Itf** out) { *out = value.Detach(); }
inline void Deliver(Bstr value, BSTR* out) { *out = value.Detach(); }
inline void Deliver(long value, long* out) { *out = value; }
inline void Deliver(VARIANT_BOOL value, VARIANT_BOOL* out) { *out = value; }
inline void Deliver(VariantValue value, VARIANT* out) { value.Detach(out); }

// `iid` and `source` name the interface and the object in the error info.
template <class Slot, class Make>
HRESULT Produce(REFIID iid, const OLECHAR* source, Slot* out, Make&& make) noexcept {
  if (!out) return E_POINTER;
  Clear(out);
  return Guarded(iid, source, [&] { Deliver(std::forward<Make>(make)(), out); });
}

}  // namespace host::com
