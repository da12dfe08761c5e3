#pragma once
// The character encodings a page file can be in, and the conversions between
// its bytes and the host's UTF-16 text.
#include <optional>
#include <string>
#include <string_view>

#include "host/text.h"

namespace pages {

enum class Encoding {
  Utf8,
  Windows1252,
  // No declaration and no byte above 0x7F. Every reader agrees on such a
  // file only while it stays ASCII, so other characters are written as
  // character references.
  Ascii,
};

struct DetectedEncoding {
  std::optional<Encoding> encoding;  // empty: a charset we cannot edit
  std::string label;                 // the charset as the file names it, if it does
};

// A byte-order mark first, then a <meta> charset in the first 1024 bytes,
// then the bytes themselves: valid UTF-8, or else windows-1252.
DetectedEncoding DetectEncoding(std::string_view bytes);

// Undecodable bytes become U+FFFD.
host::Text Decode(std::string_view bytes, Encoding encoding);

// Characters the encoding cannot hold become numeric character references,
// so the result is only fit for places where such references are decoded.
std::string EncodeWithReferences(std::u16string_view text, Encoding encoding);

bool IsValidUtf8(std::string_view bytes);

}  // namespace pages
