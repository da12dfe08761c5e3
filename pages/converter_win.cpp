// Windows' own converters: the code pages of MultiByteToWideChar and
// WideCharToMultiByte.
#include <windows.h>

#include <algorithm>
#include <climits>

#include "host/error.h"
#include "pages/converter.h"
#include "pages/page_file.h"

namespace pages {
namespace {

// The ISO-2022 code pages and GB18030 take no flags.
bool TakesNoFlags(unsigned codePage) { return (codePage >= 50220 && codePage <= 50229) || codePage == 54936; }

int Length(std::size_t size) {
  if (size > INT_MAX / 4) throw host::Error(code::BadFileMode, u"The page is too large to convert");
  return static_cast<int>(size);
}

}  // namespace

bool ConverterExists(const EncodingNames& names, bool spans) {
  // Windows does not tell where each character begins; of the encodings it
  // converts, only iso-2022-jp would need that.
  return !spans && names.codePage != 0 && IsValidCodePage(names.codePage) != 0;
}

host::Text ConvertToText(std::string_view bytes, const EncodingNames& names, std::vector<ByteSpan>* spans) {
  if (!ConverterExists(names, spans != nullptr)) {
    throw host::Error(code::BadFileMode, host::FromUtf8("no converter for " + std::string(names.name)));
  }
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
