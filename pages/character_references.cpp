#include "pages/character_references.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <optional>
#include <string>

namespace pages {
namespace {

struct NamedReference {
  std::string_view name;
  std::uint32_t first, second;
};

constexpr NamedReference kNamedReferences[] = {
#include "pages/named_references.inc"
};
constexpr std::size_t kLongestName = 32;

// What a numeric reference to 0x80..0x9F means: the windows-1252 character,
// as pages written in that encoding intend. 0 keeps the code point.
constexpr std::array<char16_t, 32> kC1Replacements = {
    0x20AC, 0, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0, 0x017D, 0, 0, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0, 0x017E, 0x0178,
};

bool IsAsciiAlnum(char16_t c) { return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9'); }

int HexValue(char16_t c) {
  if (c >= u'0' && c <= u'9') return c - u'0';
  if (c >= u'a' && c <= u'f') return c - u'a' + 10;
  if (c >= u'A' && c <= u'F') return c - u'A' + 10;
  return -1;
}

const NamedReference* FindNamed(std::string_view name) {
  const auto* end = std::end(kNamedReferences);
  const auto* it = std::lower_bound(std::begin(kNamedReferences), end, name,
                                    [](const NamedReference& r, std::string_view n) { return r.name < n; });
  return it != end && it->name == name ? it : nullptr;
}

// A numeric reference starting at value[i] == '#'. Returns the position after
// it, or nullopt when no digits follow (then it is plain text).
std::optional<std::size_t> DecodeNumeric(std::u16string_view value, std::size_t i, host::Text& out) {
  std::size_t k = i + 1;
  const bool hex = k < value.size() && (value[k] == u'x' || value[k] == u'X');
  if (hex) ++k;
  const std::size_t digitsBegin = k;
  std::uint32_t code = 0;
  for (; k < value.size(); ++k) {
    const int digit = hex ? HexValue(value[k]) : (value[k] >= u'0' && value[k] <= u'9' ? value[k] - u'0' : -1);
    if (digit < 0) break;
    // Saturate: anything past the last code point reads the same.
    code = std::min<std::uint32_t>(code * (hex ? 16 : 10) + static_cast<std::uint32_t>(digit), 0x110000);
  }
  if (k == digitsBegin) return std::nullopt;
  if (k < value.size() && value[k] == u';') ++k;
  if (code == 0 || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) {
    code = 0xFFFD;
  } else if (code >= 0x80 && code <= 0x9F && kC1Replacements[code - 0x80] != 0) {
    code = kC1Replacements[code - 0x80];
  }
  host::AppendUtf16(out, code);
  return k;
}

// A named reference starting at value[i], the first character after '&'.
// Returns the position after it, or nullopt when it stays as written.
std::optional<std::size_t> DecodeNamed(std::u16string_view value, std::size_t i, host::Text& out) {
  std::string candidate;
  for (std::size_t k = i; k < value.size() && candidate.size() < kLongestName; ++k) {
    if (IsAsciiAlnum(value[k])) {
      candidate += static_cast<char>(value[k]);
    } else {
      if (value[k] == u';') candidate += ';';
      break;
    }
  }
  // The longest name in the table that the text starts with.
  for (std::size_t length = candidate.size(); length > 0; --length) {
    const std::string_view name(candidate.data(), length);
    const NamedReference* found = FindNamed(name);
    if (!found) continue;
    const std::size_t next = i + length;
    if (name.back() != ';' && next < value.size() && (value[next] == u'=' || IsAsciiAlnum(value[next]))) {
      return std::nullopt;
    }
    host::AppendUtf16(out, found->first);
    if (found->second != 0) host::AppendUtf16(out, found->second);
    return next;
  }
  return std::nullopt;
}

}  // namespace

host::Text DecodeAttributeReferences(std::u16string_view value) {
  host::Text out;
  out.reserve(value.size());
  for (std::size_t i = 0; i < value.size();) {
    if (value[i] != u'&' || i + 1 >= value.size()) {
      out += value[i++];
      continue;
    }
    const auto after = value[i + 1] == u'#' ? DecodeNumeric(value, i + 1, out) : DecodeNamed(value, i + 1, out);
    if (after) {
      i = *after;
    } else {
      out += value[i++];
    }
  }
  return out;
}

host::Text EscapeAttributeValue(std::u16string_view value, char16_t quote) {
  host::Text out;
  out.reserve(value.size());
  for (const char16_t c : value) {
    if (c == u'&') {
      out += u"&amp;";
    } else if (c == quote) {
      out += c == u'"' ? u"&quot;" : u"&#39;";
    } else if (c == u'\r') {
      out += u"&#13;";  // a raw one would be read back as a line feed
    } else {
      out += c;
    }
  }
  return out;
}

}  // namespace pages
