#pragma once
// An owned BSTR. Copies are explicit (Copy), as a BSTR has one owner.
#include <windows.h>
#include <ole2.h>

#include <string_view>
#include "host/com/unique_handle.h"
#include "host/text.h"

namespace host::com {

// wchar_t and char16_t are both UTF-16 on Windows.

class Bstr : public UniqueHandle<Bstr, BSTR, &SysFreeString> {
 public:
  Bstr() = default;
  // Throws host::Error(E_OUTOFMEMORY) when the string cannot be allocated.
  explicit Bstr(std::u16string_view text);
  explicit Bstr(const OLECHAR* text) : Bstr(text ? std::u16string_view(reinterpret_cast<const char16_t*>(text)) : std::u16string_view()) {}

  Bstr Copy() const;
  // The text with its counted length; a null BSTR is the empty string.
  Text text() const;
};

// The text of a BSTR someone else owns.
Text TextOf(BSTR s);

}  // namespace host::com
