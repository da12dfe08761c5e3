#pragma once
// iso-2022-jp read and written by its escape sequences, as browsers read
// it, for a platform whose converter cannot say where each character's
// bytes lie. Browsers read its two-byte characters with their Shift_JIS
// table, so each pair is read as the Shift_JIS pair of the same row and
// cell, by the platform's converter: no table of them is kept here.
#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "host/text.h"
#include "pages/encoding.h"

namespace pages {

// The platform's two-byte Shift_JIS characters: the character of a pair,
// and the pair of a character; nullopt where it has none.
struct ShiftJisPairs {
  std::optional<char32_t> (*character)(std::array<unsigned char, 2> pair);
  std::optional<std::array<unsigned char, 2>> (*pair)(char32_t c);
};

// Undecodable bytes and misplaced escape sequences become U+FFFD; with
// `spans`, for each UTF-16 unit the bytes of its character.
host::Text DecodeIso2022Jp(std::string_view bytes, const ShiftJisPairs& sjis, std::vector<ByteSpan>* spans);

// The bytes of `text`, from and back to ASCII; nullopt when a character
// has none.
std::optional<std::string> EncodeIso2022Jp(std::u16string_view text, const ShiftJisPairs& sjis);

}  // namespace pages
