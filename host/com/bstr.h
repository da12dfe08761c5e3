#pragma once
// An owned BSTR. Copies are explicit (Copy), as a BSTR has one owner.
#include <windows.h>
#include <ole2.h>

#include <string_view>
#include <utility>

#include "host/text.h"

namespace host::com {

// wchar_t and char16_t are both UTF-16 on Windows.

class Bstr {
 public:
  Bstr() = default;
  // Throws host::Error(E_OUTOFMEMORY) when the string cannot be allocated.
  explicit Bstr(std::u16string_view text);
  explicit Bstr(const OLECHAR* text) : Bstr(text ? std::u16string_view(reinterpret_cast<const char16_t*>(text)) : std::u16string_view()) {}
  Bstr(Bstr&& other) noexcept : s_(std::exchange(other.s_, nullptr)) {}
  Bstr& operator=(Bstr&& other) noexcept {
    std::swap(s_, other.s_);
    return *this;
  }
  Bstr(const Bstr&) = delete;
  Bstr& operator=(const Bstr&) = delete;
  ~Bstr() { SysFreeString(s_); }

  static Bstr Adopt(BSTR s) {
    Bstr b;
    b.s_ = s;
    return b;
  }
  Bstr Copy() const;

  BSTR get() const { return s_; }
  BSTR* put() {
    SysFreeString(std::exchange(s_, nullptr));
    return &s_;
  }
  BSTR Detach() { return std::exchange(s_, nullptr); }

  // The text with its counted length; a null BSTR is the empty string.
  Text text() const;

 private:
  BSTR s_ = nullptr;
};

// The text of a BSTR someone else owns.
Text TextOf(BSTR s);

}  // namespace host::com
