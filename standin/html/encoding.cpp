#include "standin/html/encoding.h"

#include <array>
#include <cstdint>

namespace standin::html {
namespace {

// windows-1252 at 0x80..0x9F; the five bytes it leaves undefined map to the
// C1 control of the same value, as browsers decode them.
constexpr std::array<char16_t, 32> kHigh1252 = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

std::optional<unsigned char> To1252(char32_t c) {
  if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) return static_cast<unsigned char>(c);
  for (std::size_t i = 0; i < kHigh1252.size(); ++i) {
    if (kHigh1252[i] == c) return static_cast<unsigned char>(0x80 + i);
  }
  return std::nullopt;
}

void AppendUtf16(host::Text& out, char32_t c) {
  if (c >= 0x10000) {
    c -= 0x10000;
    out += static_cast<char16_t>(0xD800 + (c >> 10));
    out += static_cast<char16_t>(0xDC00 + (c & 0x3FF));
  } else {
    out += static_cast<char16_t>(c);
  }
}

void AppendUtf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

// One UTF-8 sequence at bytes[i]. A malformed one yields U+FFFD for its
// longest valid beginning (at least one byte), as browsers decode.
struct Utf8Step {
  char32_t c;
  std::size_t length;
  bool valid;
};
Utf8Step NextUtf8(std::string_view bytes, std::size_t i) {
  const auto b = static_cast<unsigned char>(bytes[i]);
  if (b < 0x80) return {b, 1, true};
  std::size_t needed;
  unsigned char low = 0x80, high = 0xBF;  // bounds of the second byte
  char32_t c;
  if (b >= 0xC2 && b <= 0xDF) {
    needed = 1, c = b & 0x1F;
  } else if (b >= 0xE0 && b <= 0xEF) {
    needed = 2, c = b & 0x0F;
    if (b == 0xE0) low = 0xA0;
    if (b == 0xED) high = 0x9F;  // no surrogates
  } else if (b >= 0xF0 && b <= 0xF4) {
    needed = 3, c = b & 0x07;
    if (b == 0xF0) low = 0x90;
    if (b == 0xF4) high = 0x8F;  // nothing past U+10FFFF
  } else {
    return {0xFFFD, 1, false};
  }
  for (std::size_t k = 1; k <= needed; ++k) {
    if (i + k >= bytes.size()) return {0xFFFD, k, false};
    const auto cont = static_cast<unsigned char>(bytes[i + k]);
    if (cont < low || cont > high) return {0xFFFD, k, false};
    low = 0x80, high = 0xBF;
    c = (c << 6) | (cont & 0x3F);
  }
  return {c, needed + 1, true};
}

// The code point at text[i], joining a surrogate pair; a lone surrogate
// reads as U+FFFD.
char32_t NextUtf16(std::u16string_view text, std::size_t& i) {
  const char32_t c = text[i++];
  if (c >= 0xD800 && c <= 0xDBFF && i < text.size() && text[i] >= 0xDC00 && text[i] <= 0xDFFF) {
    return 0x10000 + ((c - 0xD800) << 10) + (text[i++] - 0xDC00);
  }
  if (c >= 0xD800 && c <= 0xDFFF) return 0xFFFD;
  return c;
}

}  // namespace

bool IsValidUtf8(std::string_view bytes) {
  for (std::size_t i = 0; i < bytes.size();) {
    const Utf8Step step = NextUtf8(bytes, i);
    if (!step.valid) return false;
    i += step.length;
  }
  return true;
}

host::Text Decode(std::string_view bytes, Encoding encoding) {
  host::Text out;
  out.reserve(bytes.size());
  for (std::size_t i = 0; i < bytes.size();) {
    const auto b = static_cast<unsigned char>(bytes[i]);
    if (b < 0x80) {
      out += static_cast<char16_t>(b);
      ++i;
    } else if (encoding == Encoding::Windows1252) {
      out += b < 0xA0 ? kHigh1252[b - 0x80] : static_cast<char16_t>(b);
      ++i;
    } else {
      const Utf8Step step = NextUtf8(bytes, i);
      AppendUtf16(out, step.c);
      i += step.length;
    }
  }
  return out;
}

std::string EncodeWithReferences(std::u16string_view text, Encoding encoding) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size();) {
    const char32_t c = NextUtf16(text, i);
    if (c < 0x80) {
      out += static_cast<char>(c);
    } else if (encoding == Encoding::Utf8) {
      AppendUtf8(out, c);
    } else if (const auto byte = encoding == Encoding::Windows1252 ? To1252(c) : std::nullopt) {
      out += static_cast<char>(*byte);
    } else {
      out += "&#";
      out += std::to_string(static_cast<std::uint32_t>(c));
      out += ';';
    }
  }
  return out;
}

}  // namespace standin::html
