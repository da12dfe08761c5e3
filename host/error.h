#pragma once
// The one failure type of the system: a 32-bit code, as the host and the
// classic runtime report it, with an optional description.
#include <cstdint>
#include <stdexcept>

#include "host/text.h"

namespace host {

namespace code {
inline constexpr std::uint32_t InvalidProcedureCall = 0x800A0005;  // invalid procedure call or argument
inline constexpr std::uint32_t Overflow = 0x800A0006;
inline constexpr std::uint32_t SubscriptOutOfRange = 0x800A0009;
inline constexpr std::uint32_t TypeMismatch = 0x800A000D;
inline constexpr std::uint32_t ObjectNotSet = 0x800A005B;  // object variable not set
inline constexpr std::uint32_t InvalidUseOfNull = 0x800A005E;
inline constexpr std::uint32_t NotSupported = 0x800A01B6;  // object doesn't support this property or method
inline constexpr std::uint32_t ParamNotFound = 0x80020004;  // DISP_E_PARAMNOTFOUND: the argument was not given
inline constexpr std::uint32_t Unexpected = 0x8000FFFF;     // E_UNEXPECTED
}  // namespace code

class Error : public std::runtime_error {
 public:
  explicit Error(std::uint32_t code, Text description = {});

  std::uint32_t code() const noexcept { return code_; }
  const Text& description() const noexcept { return description_; }

 private:
  std::uint32_t code_;
  Text description_;
};

}  // namespace host
