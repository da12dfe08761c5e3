#include "host/variant.h"

namespace host {
namespace {

bool ParseInteger(const Text& s, std::int64_t& out) {
  std::size_t i = 0;
  while (i < s.size() && s[i] == u' ') ++i;
  bool negative = false;
  if (i < s.size() && (s[i] == u'-' || s[i] == u'+')) negative = s[i++] == u'-';
  if (i == s.size()) return false;
  std::int64_t value = 0;
  for (; i < s.size() && s[i] >= u'0' && s[i] <= u'9'; ++i) {
    // Saturate past the 32-bit range so that the caller reports overflow.
    if (value <= INT32_MAX + 1LL) value = value * 10 + (s[i] - u'0');
  }
  while (i < s.size() && s[i] == u' ') ++i;
  if (i != s.size()) return false;
  out = negative ? -value : value;
  return true;
}

}  // namespace

Text Variant::ToText() const {
  struct Visitor {
    Text operator()(Empty) const { return {}; }
    Text operator()(Null) const { throw Error(code::InvalidUseOfNull); }
    Text operator()(ErrorCode) const { throw Error(code::TypeMismatch); }
    Text operator()(Bool16 b) const { return b ? u"True" : u"False"; }
    Text operator()(std::int16_t i) const { return Decimal(i); }
    Text operator()(std::int32_t i) const { return Decimal(i); }
    Text operator()(const Text& s) const { return s; }
    Text operator()(const Ref<Object>&) const { throw Error(code::TypeMismatch); }
  };
  return std::visit(Visitor{}, v_);
}

std::int32_t Variant::ToInt32() const {
  struct Visitor {
    std::int64_t operator()(Empty) const { return 0; }
    std::int64_t operator()(Null) const { throw Error(code::InvalidUseOfNull); }
    std::int64_t operator()(ErrorCode) const { throw Error(code::TypeMismatch); }
    std::int64_t operator()(Bool16 b) const { return b.value; }
    std::int64_t operator()(std::int16_t i) const { return i; }
    std::int64_t operator()(std::int32_t i) const { return i; }
    std::int64_t operator()(const Text& s) const {
      std::int64_t v = 0;
      if (!ParseInteger(s, v)) throw Error(code::TypeMismatch);
      return v;
    }
    std::int64_t operator()(const Ref<Object>&) const { throw Error(code::TypeMismatch); }
  };
  const std::int64_t v = std::visit(Visitor{}, v_);
  if (v < INT32_MIN || v > INT32_MAX) throw Error(code::Overflow);
  return static_cast<std::int32_t>(v);
}

Int16 Variant::ToInt16() const { return Int16::From(ToInt32()); }

Bool16 Variant::ToBool() const {
  if (const auto* b = std::get_if<Bool16>(&v_)) return *b;
  if (const auto* s = std::get_if<Text>(&v_)) {
    if (*s == u"True") return True;
    if (*s == u"False") return False;
  }
  return ToInt32() != 0 ? True : False;
}

Ref<Object> Variant::ToObject() const {
  if (const auto* o = std::get_if<Ref<Object>>(&v_)) return *o;
  throw Error(code::TypeMismatch);
}

std::uint32_t Variant::ErrorValue() const {
  if (const auto* e = std::get_if<ErrorCode>(&v_)) return e->code;
  throw Error(code::TypeMismatch);
}

}  // namespace host
