#pragma once
// The system's 16-bit signed integer: counts and indexes. Arithmetic that
// leaves -32768..32767 raises an overflow error instead of wrapping.
#include <compare>
#include <cstdint>

#include "host/error.h"

namespace host {

class Int16 {
 public:
  constexpr Int16() = default;
  constexpr Int16(std::int16_t v) : v_(v) {}  // NOLINT: implicit, as the literal type converts

  // Narrowing that raises overflow when the value does not fit.
  static Int16 From(std::int64_t v) {
    if (v < INT16_MIN || v > INT16_MAX) throw Error(code::Overflow);
    return Int16(static_cast<std::int16_t>(v));
  }

  constexpr std::int16_t value() const { return v_; }

  friend Int16 operator+(Int16 a, Int16 b) { return From(std::int32_t{a.v_} + b.v_); }
  friend Int16 operator-(Int16 a, Int16 b) { return From(std::int32_t{a.v_} - b.v_); }
  friend constexpr bool operator==(Int16, Int16) = default;
  friend constexpr auto operator<=>(Int16, Int16) = default;

 private:
  std::int16_t v_ = 0;
};

// The 16-bit boolean: True is -1, False is 0, anything non-zero reads as true.
struct Bool16 {
  std::int16_t value = 0;
  constexpr explicit operator bool() const { return value != 0; }
  friend constexpr bool operator==(Bool16, Bool16) = default;
};
inline constexpr Bool16 True{-1};
inline constexpr Bool16 False{0};

}  // namespace host
