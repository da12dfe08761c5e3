// Windows' own converters: the code pages of MultiByteToWideChar and
// WideCharToMultiByte.
#include <windows.h>

#include <algorithm>
#include <array>
#include <climits>

#include "host/error.h"
#include "pages/converter.h"
#include "pages/iso_2022_jp.h"
#include "pages/page_file.h"

namespace pages {
namespace {

// GB18030 takes no flags.
bool TakesNoFlags(unsigned codePage) { return codePage == 54936; }

int Length(std::size_t size) {
  if (size > INT_MAX / 4) throw host::Error(code::BadFileMode, u"The page is too large to convert");
  return static_cast<int>(size);
}

// Windows converts iso-2022-jp only as a whole, without saying where each
// character lies, and Wine not at all: it is read here by its escape
// sequences, its two-byte characters through the Shift_JIS code page.
unsigned ShiftJisCodePage() { return NamesOf(Encoding::ShiftJis).codePage; }

std::optional<char32_t> ShiftJisCharacter(std::array<unsigned char, 2> pair) {
  wchar_t out[2];
  const int size = MultiByteToWideChar(ShiftJisCodePage(), MB_ERR_INVALID_CHARS, reinterpret_cast<const char*>(pair.data()),
                                       2, out, 2);
  if (size != 1) return std::nullopt;
  return static_cast<char32_t>(out[0]);
}

std::optional<std::array<unsigned char, 2>> ShiftJisPair(char32_t c) {
  host::Text one;
  host::AppendUtf16(one, c);
  char out[4];
  BOOL defaulted = FALSE;
  const int size = WideCharToMultiByte(ShiftJisCodePage(), WC_NO_BEST_FIT_CHARS, reinterpret_cast<const wchar_t*>(one.data()),
                                       static_cast<int>(one.size()), out, sizeof(out), nullptr, &defaulted);
  if (size != 2 || defaulted) return std::nullopt;
  return std::array<unsigned char, 2>{static_cast<unsigned char>(out[0]), static_cast<unsigned char>(out[1])};
}

constexpr ShiftJisPairs kShiftJis{ShiftJisCharacter, ShiftJisPair};

// Windows has no code page for these ISO 8859 parts: their characters at
// 0xA0..0xFF, written at build time from the build machine's iconv. Below
// 0xA0 each byte is the character of its own value.
struct UpperHalf {
  std::string_view encoding;
  std::array<char16_t, 96> characters;
};
constexpr UpperHalf kUpperHalves[] = {
#include "upper_halves.inc"
};

const UpperHalf* UpperHalfOf(const EncodingNames& names) {
  for (const UpperHalf& half : kUpperHalves) {
    if (half.encoding == names.name) return &half;
  }
  return nullptr;
}

host::Text DecodeByUpperHalf(std::string_view bytes, const UpperHalf& half, std::vector<ByteSpan>* spans) {
  host::Text out;
  out.reserve(bytes.size());
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    const auto b = static_cast<unsigned char>(bytes[i]);
    out += b < 0xA0 ? static_cast<char16_t>(b) : half.characters[b - 0xA0];
    if (spans) spans->push_back({i, i + 1});
  }
  return out;
}

std::optional<std::string> EncodeByUpperHalf(std::u16string_view text, const UpperHalf& half) {
  std::string out;
  out.reserve(text.size());
  for (const char16_t u : text) {
    if (u < 0xA0) {
      out += static_cast<char>(u);
      continue;
    }
    const auto at = std::find(half.characters.begin(), half.characters.end(), u);
    if (at == half.characters.end()) return std::nullopt;
    out += static_cast<char>(0xA0 + (at - half.characters.begin()));
  }
  return out;
}

}  // namespace

bool ConverterExists(const EncodingNames& names, bool spans) {
  if (names.encoding == Encoding::Iso2022Jp) return IsValidCodePage(ShiftJisCodePage()) != 0;
  if (UpperHalfOf(names)) return true;
  // Windows does not tell where each character begins; the encodings that
  // need it are read above.
  return !spans && names.codePage != 0 && IsValidCodePage(names.codePage) != 0;
}

host::Text ConvertToText(std::string_view bytes, const EncodingNames& names, std::vector<ByteSpan>* spans) {
  if (!ConverterExists(names, spans != nullptr)) {
    throw host::Error(code::BadFileMode, host::FromUtf8("no converter for " + std::string(names.name)));
  }
  if (names.encoding == Encoding::Iso2022Jp) return DecodeIso2022Jp(bytes, kShiftJis, spans);
  if (const UpperHalf* half = UpperHalfOf(names)) return DecodeByUpperHalf(bytes, *half, spans);
  if (bytes.empty()) return {};
  const int size = MultiByteToWideChar(names.codePage, 0, bytes.data(), Length(bytes.size()), nullptr, 0);
  host::Text out(static_cast<std::size_t>(std::max(size, 0)), u'\0');
  if (size > 0) {
    MultiByteToWideChar(names.codePage, 0, bytes.data(), Length(bytes.size()), reinterpret_cast<wchar_t*>(out.data()), size);
  }
  return out;
}

std::optional<std::string> ConvertToBytes(std::u16string_view text, const EncodingNames& names) {
  if (!ConverterExists(names)) return std::nullopt;
  if (names.encoding == Encoding::Iso2022Jp) return EncodeIso2022Jp(text, kShiftJis);
  if (const UpperHalf* half = UpperHalfOf(names)) return EncodeByUpperHalf(text, *half);
  if (text.empty()) return std::string();
  const auto* wide = reinterpret_cast<const wchar_t*>(text.data());
  // No best fit (an "a" for an "ä"): a character the code page lacks is
  // reported, where it can be, as a default character used.
  const bool plain = !TakesNoFlags(names.codePage);
  const DWORD flags = plain ? WC_NO_BEST_FIT_CHARS : 0;
  BOOL defaulted = FALSE;
  BOOL* usedDefault = plain ? &defaulted : nullptr;
  const int size = WideCharToMultiByte(names.codePage, flags, wide, Length(text.size()), nullptr, 0, nullptr, usedDefault);
  if (size <= 0 || defaulted) return std::nullopt;
  std::string out(static_cast<std::size_t>(size), '\0');
  WideCharToMultiByte(names.codePage, flags, wide, Length(text.size()), out.data(), size, nullptr, usedDefault);
  if (defaulted) return std::nullopt;
  return out;
}

}  // namespace pages
