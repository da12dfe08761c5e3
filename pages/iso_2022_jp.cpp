#include "pages/iso_2022_jp.h"

namespace pages {
namespace {

constexpr unsigned char kEscape = 0x1B;

// What the bytes between escape sequences are read as.
enum class Set { Ascii, Roman, Katakana, Jis0208 };

// The set an escape sequence's two bytes after ESC switch to.
std::optional<Set> Switched(unsigned char first, unsigned char second) {
  if (first == '(' && second == 'B') return Set::Ascii;
  if (first == '(' && second == 'J') return Set::Roman;
  if (first == '(' && second == 'I') return Set::Katakana;
  if (first == '$' && (second == '@' || second == 'B')) return Set::Jis0208;
  return std::nullopt;
}

bool InRow(unsigned char b) { return b >= 0x21 && b <= 0x7E; }

// Shift_JIS arranges the same rows and cells two rows to a lead byte.
std::array<unsigned char, 2> ShiftJisPair(unsigned char lead, unsigned char trail) {
  const bool odd = lead % 2 == 1;
  const int first = (lead + 1) / 2 + (lead <= 0x5E ? 0x70 : 0xB0);
  const int second = odd ? trail + (trail >= 0x60 ? 0x20 : 0x1F) : trail + 0x7E;
  return {static_cast<unsigned char>(first), static_cast<unsigned char>(second)};
}

// The row and cell bytes of a Shift_JIS pair; nullopt past row 94 (the
// user-defined rows, IBM's extensions), which iso-2022-jp cannot reach.
std::optional<std::array<unsigned char, 2>> JisPair(std::array<unsigned char, 2> sjis) {
  const auto [first, second] = sjis;
  int lead;
  if (first >= 0x81 && first <= 0x9F) {
    lead = (first - 0x70) * 2 - 1;
  } else if (first >= 0xE0 && first <= 0xEF) {
    lead = (first - 0xB0) * 2 - 1;
  } else {
    return std::nullopt;
  }
  if (second < 0x40 || second == 0x7F || second > 0xFC) return std::nullopt;
  int trail;
  if (second >= 0x9F) {
    ++lead;
    trail = second - 0x7E;
  } else {
    trail = second - (second >= 0x80 ? 0x20 : 0x1F);
  }
  return std::array<unsigned char, 2>{static_cast<unsigned char>(lead), static_cast<unsigned char>(trail)};
}

// JIS X 0201 Roman differs from ASCII in two places only.
char32_t RomanCharacter(unsigned char b) {
  if (b == 0x5C) return 0xA5;
  if (b == 0x7E) return 0x203E;
  return b;
}

}  // namespace

host::Text DecodeIso2022Jp(std::string_view bytes, const ShiftJisPairs& sjis, std::vector<ByteSpan>* spans) {
  host::Text out;
  out.reserve(bytes.size());
  const auto append = [&](char32_t c, std::size_t begin, std::size_t end) {
    host::AppendUtf16(out, c);
    if (spans) spans->resize(out.size(), {begin, end});
  };
  const auto byte = [&](std::size_t at) { return static_cast<unsigned char>(bytes[at]); };
  Set set = Set::Ascii;
  // An escape sequence right after another switches to nothing readable:
  // browsers show U+FFFD for the second.
  bool afterEscape = false;
  for (std::size_t i = 0; i < bytes.size();) {
    const unsigned char b = byte(i);
    if (b == kEscape) {
      const auto to = i + 2 < bytes.size() ? Switched(byte(i + 1), byte(i + 2)) : std::nullopt;
      if (!to) {
        // A broken escape: the ESC alone is undecodable, what follows it is
        // read in the set before.
        append(0xFFFD, i, i + 1);
        afterEscape = false;
        ++i;
        continue;
      }
      if (afterEscape) append(0xFFFD, i, i + 3);
      set = *to;
      afterEscape = true;
      i += 3;
      continue;
    }
    afterEscape = false;
    if (set == Set::Jis0208) {
      if (!InRow(b) || i + 1 >= bytes.size() || byte(i + 1) == kEscape) {
        // A lone lead byte; an ESC after it begins an escape sequence.
        append(0xFFFD, i, i + 1);
        ++i;
        continue;
      }
      const unsigned char trail = byte(i + 1);
      const auto c = InRow(trail) ? sjis.character(ShiftJisPair(b, trail)) : std::nullopt;
      append(c.value_or(0xFFFD), i, i + 2);
      i += 2;
      continue;
    }
    char32_t c = 0xFFFD;
    if (set == Set::Katakana) {
      if (b >= 0x21 && b <= 0x5F) c = 0xFF61 + (b - 0x21);
    } else if (b < 0x80 && b != 0x0E && b != 0x0F) {
      c = set == Set::Roman ? RomanCharacter(b) : b;
    }
    append(c, i, i + 1);
    ++i;
  }
  return out;
}

std::optional<std::string> EncodeIso2022Jp(std::u16string_view text, const ShiftJisPairs& sjis) {
  std::string out;
  Set set = Set::Ascii;
  const auto switchTo = [&](Set to) {
    if (set == to) return;
    set = to;
    switch (to) {
      case Set::Ascii: out += "\x1B(B"; break;
      case Set::Roman: out += "\x1B(J"; break;
      case Set::Katakana: out += "\x1B(I"; break;
      case Set::Jis0208: out += "\x1B$B"; break;
    }
  };
  for (std::size_t i = 0; i < text.size();) {
    const char32_t c = host::NextUtf16(text, i);
    if (c == 0x0E || c == 0x0F || c == kEscape) return std::nullopt;
    if (c < 0x80) {
      switchTo(Set::Ascii);
      out += static_cast<char>(c);
    } else if (c == 0xA5 || c == 0x203E) {
      switchTo(Set::Roman);
      out += c == 0xA5 ? '\x5C' : '\x7E';
    } else if (c >= 0xFF61 && c <= 0xFF9F) {
      switchTo(Set::Katakana);
      out += static_cast<char>(c - 0xFF61 + 0x21);
    } else {
      // A pair that reads back as another character (a converter's best
      // fit) is not this one's.
      const auto sjisPair = sjis.pair(c);
      const auto pair = sjisPair && sjis.character(*sjisPair) == c ? JisPair(*sjisPair) : std::nullopt;
      if (!pair) return std::nullopt;
      switchTo(Set::Jis0208);
      out += static_cast<char>((*pair)[0]);
      out += static_cast<char>((*pair)[1]);
    }
  }
  switchTo(Set::Ascii);
  return out;
}

}  // namespace pages
