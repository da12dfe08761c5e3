#include "host/text.h"

namespace host {

Text Decimal(std::int64_t n) {
  const bool negative = n < 0;
  // Work in unsigned so that the most negative value does not overflow.
  std::uint64_t magnitude = negative ? 0 - static_cast<std::uint64_t>(n) : static_cast<std::uint64_t>(n);
  Text digits;
  do {
    digits.insert(digits.begin(), static_cast<char16_t>(u'0' + magnitude % 10));
    magnitude /= 10;
  } while (magnitude != 0);
  if (negative) digits.insert(digits.begin(), u'-');
  return digits;
}

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

char32_t NextUtf16(std::u16string_view text, std::size_t& i) {
  const char32_t c = text[i++];
  if (c >= 0xD800 && c <= 0xDBFF && i < text.size() && text[i] >= 0xDC00 && text[i] <= 0xDFFF) {
    return 0x10000 + ((c - 0xD800) << 10) + (text[i++] - 0xDC00);
  }
  if (c >= 0xD800 && c <= 0xDFFF) return 0xFFFD;
  return c;
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

void AppendUtf16(Text& out, char32_t c) {
  if (c >= 0x10000) {
    c -= 0x10000;
    out += static_cast<char16_t>(0xD800 + (c >> 10));
    out += static_cast<char16_t>(0xDC00 + (c & 0x3FF));
  } else {
    out += static_cast<char16_t>(c);
  }
}

std::string ToUtf8(std::u16string_view text) {
  std::string out;
  out.reserve(text.size());
  AppendUtf8(out, text);
  return out;
}

void AppendUtf8(std::string& out, std::u16string_view text) {
  for (std::size_t i = 0; i < text.size();) AppendUtf8(out, NextUtf16(text, i));
}

Text FromUtf8(std::string_view utf8) {
  Text out;
  out.reserve(utf8.size());
  for (std::size_t i = 0; i < utf8.size();) {
    const Utf8Step step = NextUtf8(utf8, i);
    AppendUtf16(out, step.c);
    i += step.length;
  }
  return out;
}

}  // namespace host
