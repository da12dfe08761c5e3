#include "host/com/bstr.h"

#include "host/com/hresult_error.h"

namespace host::com {

Bstr::Bstr(std::u16string_view text) {
  *put() = SysAllocStringLen(reinterpret_cast<const OLECHAR*>(text.data()), static_cast<UINT>(text.size()));
  if (!get()) ThrowHresult(E_OUTOFMEMORY);
}

Bstr Bstr::Copy() const {
  if (!get()) return Bstr();
  return Bstr(text());
}

Text Bstr::text() const { return TextOf(get()); }

Text TextOf(BSTR s) {
  if (!s) return Text();
  return Text(reinterpret_cast<const char16_t*>(s), SysStringLen(s));
}

}  // namespace host::com
