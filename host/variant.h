#pragma once
// The tagged value that carries optional and late-bound arguments and results.
#include <cstdint>
#include <variant>

#include "host/int16.h"
#include "host/object.h"
#include "host/text.h"

namespace host {

class Variant {
 public:
  struct Empty { friend bool operator==(Empty, Empty) = default; };
  struct Null { friend bool operator==(Null, Null) = default; };
  struct ErrorCode {
    std::uint32_t code;
    friend bool operator==(ErrorCode, ErrorCode) = default;
  };

  Variant() = default;
  Variant(Bool16 b) : v_(b) {}
  Variant(Int16 i) : v_(i.value()) {}
  Variant(std::int16_t i) : v_(i) {}
  Variant(std::int32_t i) : v_(i) {}
  Variant(Text s) : v_(std::move(s)) {}
  Variant(const char16_t* s) : v_(Text(s)) {}
  Variant(Ref<Object> o) : v_(std::move(o)) {}
  template <class T>
  Variant(Ref<T> o) : v_(Ref<Object>(std::move(o))) {}

  static Variant MakeNull() { return Variant(Null{}); }
  static Variant MakeError(std::uint32_t code) { return Variant(ErrorCode{code}); }
  // The argument that was not given.
  static Variant Missing() { return MakeError(code::ParamNotFound); }

  bool IsEmpty() const { return std::holds_alternative<Empty>(v_); }
  bool IsNull() const { return std::holds_alternative<Null>(v_); }
  bool IsError() const { return std::holds_alternative<ErrorCode>(v_); }
  bool IsMissing() const { return IsError() && std::get<ErrorCode>(v_).code == code::ParamNotFound; }
  bool IsBool() const { return std::holds_alternative<Bool16>(v_); }
  bool IsInt16() const { return std::holds_alternative<std::int16_t>(v_); }
  bool IsInt32() const { return std::holds_alternative<std::int32_t>(v_); }
  bool IsText() const { return std::holds_alternative<Text>(v_); }
  bool IsObject() const { return std::holds_alternative<Ref<Object>>(v_); }

  // Conversions as the classic runtime makes them. Null has no string or
  // number form (invalid use of null); other impossible ones are type mismatches.
  Text ToText() const;
  Int16 ToInt16() const;
  std::int32_t ToInt32() const;
  Bool16 ToBool() const;
  Ref<Object> ToObject() const;
  std::uint32_t ErrorValue() const;

  friend bool operator==(const Variant&, const Variant&) = default;

 private:
  using Storage = std::variant<Empty, Null, ErrorCode, Bool16, std::int16_t, std::int32_t, Text, Ref<Object>>;
  explicit Variant(Null n) : v_(n) {}
  explicit Variant(ErrorCode e) : v_(e) {}
  Storage v_;
};

}  // namespace host
