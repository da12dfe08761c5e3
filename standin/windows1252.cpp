#include "standin/windows1252.h"

#include <array>

namespace standin {
namespace {

// 0x80..0x9F; the five bytes the code page leaves undefined map to the C1
// controls of the same number, as Windows maps them, so that every byte
// survives a round trip.
constexpr std::array<char16_t, 32> kHighControls = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

}  // namespace

char16_t Windows1252ToUtf16(unsigned char byte) {
  if (byte >= 0x80 && byte <= 0x9F) return kHighControls[byte - 0x80];
  return byte;
}

std::optional<unsigned char> Utf16ToWindows1252(char16_t c) {
  if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) return static_cast<unsigned char>(c);
  for (std::size_t i = 0; i < kHighControls.size(); ++i) {
    if (kHighControls[i] == c) return static_cast<unsigned char>(0x80 + i);
  }
  return std::nullopt;
}

host::Text Windows1252::ToUtf16(std::string_view ansi) {
  host::Text text;
  text.reserve(ansi.size());
  for (char c : ansi) text += Windows1252ToUtf16(static_cast<unsigned char>(c));
  return text;
}

std::string Windows1252::FromUtf16(std::u16string_view text) {
  std::string ansi;
  ansi.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char16_t c = text[i];
    // A surrogate pair is one character and becomes one '?'.
    if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) ++i;
    const auto byte = Utf16ToWindows1252(c);
    ansi += byte ? static_cast<char>(*byte) : '?';
  }
  return ansi;
}

std::string FoldCase(std::string_view ansi) {
  std::string folded(ansi);
  for (char& ch : folded) {
    const auto c = static_cast<unsigned char>(ch);
    if (c >= 'a' && c <= 'z') {
      ch = static_cast<char>(c - 0x20);
    } else if (c >= 0xE0 && c <= 0xFE && c != 0xF7) {
      ch = static_cast<char>(c - 0x20);  // à..þ, but not ÷
    } else if (c == 0x9A || c == 0x9C || c == 0x9E) {
      ch = static_cast<char>(c - 0x10);  // š œ ž
    } else if (c == 0xFF) {
      ch = static_cast<char>(0x9F);  // ÿ
    }
  }
  return folded;
}

}  // namespace standin
