#include "audit/area_shape.h"

#include <cmath>
#include <string>
#include <utility>

#include "pages/tag_lexer.h"

namespace audit {
namespace {

bool IsSeparator(char16_t c) { return pages::IsHtmlSpace(c) || c == u',' || c == u';'; }
bool IsDigit(char16_t c) { return c >= u'0' && c <= u'9'; }

// A floating-point number value as HTML reads one, from the start of
// `text`; trailing text is ignored. nullopt for an error.
std::optional<double> ParseNumber(std::u16string_view text) {
  std::size_t at = 0;
  while (at < text.size() && pages::IsHtmlSpace(text[at])) ++at;
  double value = 1, divisor = 1, exponent = 1;
  if (at < text.size() && text[at] == u'-') {
    value = divisor = -1;
    if (++at >= text.size()) return std::nullopt;
  } else if (at < text.size() && text[at] == u'+') {
    if (++at >= text.size()) return std::nullopt;
  }
  if (at >= text.size()) return std::nullopt;
  bool fractionOnly = false;
  if (text[at] == u'.' && at + 1 < text.size() && IsDigit(text[at + 1])) {
    value = value < 0 ? -0.0 : 0;
    fractionOnly = true;
  } else if (!IsDigit(text[at])) {
    return std::nullopt;
  }
  if (!fractionOnly) {
    double whole = 0;
    while (at < text.size() && IsDigit(text[at])) whole = whole * 10 + (text[at++] - u'0');
    value *= whole;
  }
  if (at < text.size() && text[at] == u'.') {
    ++at;
    while (at < text.size() && IsDigit(text[at])) {
      divisor *= 10;
      value += (text[at++] - u'0') / divisor;
    }
  }
  if (at < text.size() && (text[at] == u'e' || text[at] == u'E')) {
    ++at;
    if (at < text.size() && text[at] == u'-') {
      exponent = -1;
      ++at;
    } else if (at < text.size() && text[at] == u'+') {
      ++at;
    }
    if (at < text.size() && IsDigit(text[at])) {
      double digits = 0;
      while (at < text.size() && IsDigit(text[at])) digits = digits * 10 + (text[at++] - u'0');
      value *= std::pow(10.0, exponent * digits);
    }
  }
  if (!std::isfinite(value)) return std::nullopt;
  return value;
}

std::u16string Lowered(std::u16string_view text) {
  std::u16string out(text);
  for (auto& c : out) {
    if (c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c + 32);
  }
  return out;
}

}  // namespace

std::vector<double> ParseCoords(std::u16string_view coords) {
  std::vector<double> numbers;
  std::size_t at = 0;
  while (at < coords.size() && IsSeparator(coords[at])) ++at;
  while (at < coords.size()) {
    while (at < coords.size() && !IsSeparator(coords[at]) && !IsDigit(coords[at]) && coords[at] != u'.' &&
           coords[at] != u'-') {
      ++at;
    }
    const std::size_t begin = at;
    while (at < coords.size() && !IsSeparator(coords[at])) ++at;
    numbers.push_back(ParseNumber(coords.substr(begin, at - begin)).value_or(0));
    while (at < coords.size() && IsSeparator(coords[at])) ++at;
  }
  return numbers;
}

std::optional<AreaShape> ReadAreaShape(std::optional<std::u16string_view> shape, std::u16string_view coords) {
  const std::u16string name = shape ? Lowered(*shape) : std::u16string(u"rect");
  AreaShape::Kind kind = AreaShape::Kind::Rect;
  std::size_t least = 4;
  if (name == u"circle" || name == u"circ") {
    kind = AreaShape::Kind::Circle;
    least = 3;
  } else if (name == u"default") {
    return AreaShape{AreaShape::Kind::Default, {}};
  } else if (name == u"poly" || name == u"polygon") {
    kind = AreaShape::Kind::Poly;
    least = 6;
  }
  std::vector<double> numbers = ParseCoords(coords);
  if (numbers.size() < least) return std::nullopt;
  if (kind == AreaShape::Kind::Poly) {
    numbers.resize(numbers.size() / 2 * 2);
  } else {
    numbers.resize(least);
  }
  if (kind == AreaShape::Kind::Rect) {
    if (numbers[0] > numbers[2]) std::swap(numbers[0], numbers[2]);
    if (numbers[1] > numbers[3]) std::swap(numbers[1], numbers[3]);
  }
  if (kind == AreaShape::Kind::Circle && numbers[2] <= 0) return std::nullopt;
  return AreaShape{kind, std::move(numbers)};
}

}  // namespace audit
