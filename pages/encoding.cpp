#include "pages/encoding.h"

#include <array>
#include <cstdint>

namespace pages {
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

}  // namespace

bool IsValidUtf8(std::string_view bytes) {
  for (std::size_t i = 0; i < bytes.size();) {
    const host::Utf8Step step = host::NextUtf8(bytes, i);
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
      const host::Utf8Step step = host::NextUtf8(bytes, i);
      host::AppendUtf16(out, step.c);
      i += step.length;
    }
  }
  return out;
}

std::string EncodeWithReferences(std::u16string_view text, Encoding encoding) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size();) {
    const char32_t c = host::NextUtf16(text, i);
    if (c < 0x80) {
      out += static_cast<char>(c);
    } else if (encoding == Encoding::Utf8) {
      host::AppendUtf8(out, c);
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

}  // namespace pages
