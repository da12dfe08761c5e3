#pragma once
// Text as the host holds it: length-counted UTF-16.
#include <cstdint>
#include <string>
#include <string_view>

namespace host {

using Text = std::u16string;

// Decimal digits of n, with a leading '-' only when negative.
Text Decimal(std::int64_t n);

// The one UTF-8 and UTF-16 codec. Malformed input is never passed on: a
// malformed UTF-8 sequence decodes as U+FFFD for its longest valid beginning
// (at least one byte), as browsers decode, and a lone surrogate as U+FFFD.
std::string ToUtf8(std::u16string_view text);
// The same onto the end of `out`.
void AppendUtf8(std::string& out, std::u16string_view text);
Text FromUtf8(std::string_view utf8);

// One UTF-8 sequence at bytes[i]: its code point (U+FFFD when malformed),
// how many bytes it takes, and whether it was well formed.
struct Utf8Step {
  char32_t c;
  std::size_t length;
  bool valid;
};
Utf8Step NextUtf8(std::string_view bytes, std::size_t i);
// The code point at text[i], joining a surrogate pair; i moves past it.
char32_t NextUtf16(std::u16string_view text, std::size_t& i);
void AppendUtf8(std::string& out, char32_t c);
void AppendUtf16(Text& out, char32_t c);

}  // namespace host
