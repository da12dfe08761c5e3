// Windows' own converters: the code pages of MultiByteToWideChar and
// WideCharToMultiByte.
#include <windows.h>

#include <climits>

#include "host/error.h"
#include "pages/converter.h"
#include "pages/page_file.h"

namespace pages {
namespace {

bool IsStateful(unsigned codePage) { return codePage >= 50220 && codePage <= 50229; }

int Length(std::size_t size) {
  if (size > INT_MAX / 4) throw host::Error(code::BadFileMode, u"The page is too large to convert");
  return static_cast<int>(size);
}

// How many bytes the character at `at` takes, for a code page whose
// characters have one or two bytes (or GB18030's four).
std::size_t CharacterLength(std::string_view bytes, std::size_t at, unsigned codePage) {
  const auto b = static_cast<unsigned char>(bytes[at]);
  if (b < 0x80 || !IsDBCSLeadByteEx(codePage, b)) return 1;
  if (codePage == 54936 && at + 1 < bytes.size() && bytes[at + 1] >= '0' && bytes[at + 1] <= '9') return 4;
  return 2;
}

}  // namespace

bool ConverterExists(const EncodingNames& names, bool starts) {
  // Where each character begins is not told by the ISO-2022 code pages.
  if (names.codePage == 0 || (starts && IsStateful(names.codePage))) return false;
  return IsValidCodePage(names.codePage) != 0;
}

host::Text ConvertToText(std::string_view bytes, const EncodingNames& names, std::vector<std::size_t>* starts) {
  if (!ConverterExists(names, starts != nullptr)) {
    throw host::Error(code::BadFileMode, host::FromUtf8("no converter for " + std::string(names.name)));
  }
  host::Text out;
  const auto convert = [&](std::string_view part) {
    if (part.empty()) return;
    const int size = MultiByteToWideChar(names.codePage, 0, part.data(), Length(part.size()), nullptr, 0);
    const std::size_t at = out.size();
    out.resize(at + static_cast<std::size_t>(size));
    MultiByteToWideChar(names.codePage, 0, part.data(), Length(part.size()), reinterpret_cast<wchar_t*>(&out[at]), size);
  };
  if (!starts) {
    convert(bytes);
    return out;
  }
  for (std::size_t at = 0; at < bytes.size();) {
    const std::size_t length = std::min(CharacterLength(bytes, at, names.codePage), bytes.size() - at);
    convert(bytes.substr(at, length));
    starts->resize(out.size(), at);
    at += length;
  }
  return out;
}

std::optional<std::string> ConvertToBytes(std::u16string_view text, const EncodingNames& names) {
  if (!ConverterExists(names)) return std::nullopt;
  if (text.empty()) return std::string();
  const auto* wide = reinterpret_cast<const wchar_t*>(text.data());
  // Best-fit characters (an "a" for an "ä") are not the text; the stateful
  // code pages take no flags.
  const DWORD flags = IsStateful(names.codePage) ? 0 : WC_NO_BEST_FIT_CHARS;
  BOOL defaulted = FALSE;
  BOOL* usedDefault = IsStateful(names.codePage) || names.codePage == 54936 ? nullptr : &defaulted;
  const int size = WideCharToMultiByte(names.codePage, flags, wide, Length(text.size()), nullptr, 0, nullptr, usedDefault);
  if (size <= 0 || defaulted) return std::nullopt;
  std::string out(static_cast<std::size_t>(size), '\0');
  WideCharToMultiByte(names.codePage, flags, wide, Length(text.size()), out.data(), size, nullptr, usedDefault);
  if (defaulted) return std::nullopt;
  return out;
}

}  // namespace pages
