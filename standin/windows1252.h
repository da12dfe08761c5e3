#pragma once
// Windows-1252, the ANSI code page of the stand-in host: what the 8-bit
// registry calls speak and what REGEDIT4 files are written in.
#include <optional>
#include <string>
#include <string_view>

#include "host/advapi32.h"

namespace standin {

class Windows1252 : public host::AnsiCodePage {
 public:
  host::Text ToUtf16(std::string_view ansi) override;
  // A character outside the code page becomes '?', as WideCharToMultiByte's
  // default character.
  std::string FromUtf16(std::u16string_view text) override;
};

char16_t Windows1252ToUtf16(unsigned char byte);
// The byte for a character, or nothing when the code page lacks it.
std::optional<unsigned char> Utf16ToWindows1252(char16_t c);

// Folds letters to upper case within the code page, so that key and value
// names compare as the registry compares them: without regard to case.
std::string FoldCase(std::string_view ansi);

}  // namespace standin
