#pragma once
// The platform's own converters between an encoding's bytes and UTF-16:
// iconv of the C library, or Windows' code pages. One of converter_iconv.cpp
// and converter_win.cpp is built.
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "host/text.h"
#include "pages/encoding.h"

namespace pages {

// Whether the platform converts the encoding; with `spans`, whether it can
// also tell where each character's bytes lie.
bool ConverterExists(const EncodingNames& names, bool spans = false);

// The text of `bytes`; a byte the converter cannot decode becomes U+FFFD.
// With `spans`, for each UTF-16 unit of the result the bytes of its
// character. Throws host::Error when the platform has no such converter.
host::Text ConvertToText(std::string_view bytes, const EncodingNames& names, std::vector<ByteSpan>* spans);

// The bytes of `text`, ending in the encoding's initial state; nullopt when
// a character of it has none.
std::optional<std::string> ConvertToBytes(std::u16string_view text, const EncodingNames& names);

}  // namespace pages
