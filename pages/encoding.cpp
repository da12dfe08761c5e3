#include "pages/encoding.h"

#include <algorithm>
#include <array>
#include <cstdint>

#include "host/error.h"
#include "pages/converter.h"
#include "pages/page_file.h"

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

bool IsUtf16(Encoding encoding) { return encoding == Encoding::Utf16Le || encoding == Encoding::Utf16Be; }

// Decoded here rather than by a converter: a lone surrogate reads as U+FFFD,
// as does an odd last byte.
host::Text DecodeUtf16(std::string_view bytes, bool bigEndian, std::vector<ByteSpan>* spans) {
  host::Text out;
  out.reserve(bytes.size() / 2 + 1);
  const auto unit = [&](std::size_t at) {
    const auto hi = static_cast<unsigned char>(bytes[bigEndian ? at : at + 1]);
    const auto lo = static_cast<unsigned char>(bytes[bigEndian ? at + 1 : at]);
    return static_cast<char16_t>(hi << 8 | lo);
  };
  std::size_t i = 0;
  for (; i + 1 < bytes.size(); i += 2) {
    const char16_t u = unit(i);
    const bool lead = u >= 0xD800 && u <= 0xDBFF;
    if (lead && i + 3 < bytes.size() && unit(i + 2) >= 0xDC00 && unit(i + 2) <= 0xDFFF) {
      out += u;
      out += unit(i + 2);
      if (spans) spans->insert(spans->end(), 2, {i, i + 4});
      i += 2;
      continue;
    }
    out += u >= 0xD800 && u <= 0xDFFF ? u'\uFFFD' : u;
    if (spans) spans->push_back({i, i + 2});
  }
  if (i < bytes.size()) {
    out += u'\uFFFD';
    if (spans) spans->push_back({i, i + 1});
  }
  return out;
}

std::string EncodeUtf16(std::u16string_view text, bool bigEndian) {
  std::string out;
  out.reserve(text.size() * 2);
  for (const char16_t u : text) {
    const char hi = static_cast<char>(u >> 8), lo = static_cast<char>(u & 0xFF);
    out += bigEndian ? hi : lo;
    out += bigEndian ? lo : hi;
  }
  return out;
}

// Whether browsers' encoders write these bytes, as the platform's converter
// did: they leave out big5's Hong Kong pairs below lead 0xA1 (which code
// page 950 lacks), shift_jis's NEC-selected rows (pointers 8272..8835,
// whose characters they write at their IBM places) and user-defined area
// (read as private characters, never written), and euc-jp's JIS X 0212
// characters. A page is only sure to read the same everywhere in those bytes.
bool BrowsersWrite(std::string_view bytes, Encoding encoding) {
  if (bytes.empty()) return true;
  const auto lead = static_cast<unsigned char>(bytes[0]);
  switch (encoding) {
    case Encoding::Big5: return lead < 0x80 || lead >= 0xA1;
    case Encoding::EucJp: {
      // Code page 20932 writes JIS X 0212 as a pair with an ASCII trail.
      const auto trail = bytes.size() == 2 ? static_cast<unsigned char>(bytes[1]) : 0;
      return lead < 0x80 || (trail >= 0xA1 && trail <= 0xFE && (lead == 0x8E || (lead >= 0xA1 && lead <= 0xFE)));
    }
    case Encoding::ShiftJis: {
      if (bytes.size() != 2) return true;
      const auto trail = static_cast<unsigned char>(bytes[1]);
      const unsigned pointer = (lead - (lead < 0xA0 ? 0x81u : 0xC1u)) * 188 + trail - (trail < 0x7F ? 0x40u : 0x41u);
      return pointer < 8272 || pointer > 10715;
    }
    default: return true;
  }
}

// Characters browsers write in bytes other than the platform's converter
// chooses: big5 holds six twice and browsers write the later pair; gbk's
// euro sign is the single byte 0x80, as Windows writes it too.
std::optional<std::string> BrowsersBytes(char32_t c, Encoding encoding) {
  if (encoding == Encoding::Gbk && c == 0x20AC) return "\x80";
  if (encoding != Encoding::Big5) return std::nullopt;
  switch (c) {
    case 0x2550: return "\xF9\xF9";
    case 0x255E: return "\xF9\xE9";
    case 0x2561: return "\xF9\xEB";
    case 0x256A: return "\xF9\xEA";
    case 0x5341: return "\xA4\x51";
    case 0x5345: return "\xA4\xCA";
    default: return std::nullopt;
  }
}

// The bytes of one character, when the encoding has them as browsers write
// them and reads them back as that character.
std::optional<std::string> EncodeCharacter(char32_t c, Encoding encoding) {
  if (c < 0x80 && !IsUtf16(encoding)) return std::string(1, static_cast<char>(c));
  host::Text one;
  host::AppendUtf16(one, c);
  switch (encoding) {
    case Encoding::Utf8: return host::ToUtf8(one);
    case Encoding::Utf16Le:
    case Encoding::Utf16Be: return EncodeUtf16(one, encoding == Encoding::Utf16Be);
    case Encoding::Ascii: return std::nullopt;
    case Encoding::Windows1252: {
      const auto byte = To1252(c);
      if (!byte) return std::nullopt;
      return std::string(1, static_cast<char>(*byte));
    }
    default: break;
  }
  // References for what browsers write in bytes that read back otherwise:
  // four big5 ideographs at pairs code page 950 reads as private characters
  // (the platform's converter writes them elsewhere); the minus sign in the
  // Japanese encodings, read back as the full-width one, and the yen sign
  // and overline in shift_jis and euc-jp, read back as ASCII.
  const bool japanese = encoding == Encoding::EucJp || encoding == Encoding::ShiftJis;
  if ((encoding == Encoding::Big5 && (c == 0x4EDD || c == 0x5EF4 || c == 0x65E0 || c == 0x7676)) ||
      ((japanese || encoding == Encoding::Iso2022Jp) && c == 0x2212) || (japanese && (c == 0xA5 || c == 0x203E))) {
    return std::nullopt;
  }
  auto bytes = BrowsersBytes(c, encoding);
  if (!bytes) bytes = ConvertToBytes(one, NamesOf(encoding));
  if (bytes && !BrowsersWrite(*bytes, encoding)) return std::nullopt;
  // Browsers write into gbk only its two-byte characters.
  if (bytes && encoding == Encoding::Gbk && bytes->size() > 2) return std::nullopt;
  // A character that comes back as another (a converter's best fit) has no
  // bytes of its own here.
  if (bytes && Decode(*bytes, encoding) != one) return std::nullopt;
  return bytes;
}

}  // namespace

bool IsAscii(std::string_view bytes) {
  return std::all_of(bytes.begin(), bytes.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

bool IsValidUtf8(std::string_view bytes) {
  for (std::size_t i = 0; i < bytes.size();) {
    const host::Utf8Step step = host::NextUtf8(bytes, i);
    if (!step.valid) return false;
    i += step.length;
  }
  return true;
}

bool TagsAreAsciiBytes(Encoding encoding) { return !IsUtf16(encoding) && encoding != Encoding::Iso2022Jp; }

bool CanConvert(Encoding encoding) {
  const EncodingNames& names = NamesOf(encoding);
  if (!names.iconv) return true;
  return ConverterExists(names, !TagsAreAsciiBytes(encoding));
}

host::Text Decode(std::string_view bytes, Encoding encoding, std::vector<ByteSpan>* spans) {
  if (IsUtf16(encoding)) return DecodeUtf16(bytes, encoding == Encoding::Utf16Be, spans);
  if (NamesOf(encoding).iconv) return ConvertToText(bytes, NamesOf(encoding), spans);
  host::Text out;
  out.reserve(bytes.size());
  for (std::size_t i = 0; i < bytes.size();) {
    const auto b = static_cast<unsigned char>(bytes[i]);
    const std::size_t before = out.size();
    std::size_t length = 1;
    if (b < 0x80) {
      out += static_cast<char16_t>(b);
    } else if (encoding == Encoding::Windows1252) {
      out += b < 0xA0 ? kHigh1252[b - 0x80] : static_cast<char16_t>(b);
    } else {
      const host::Utf8Step step = host::NextUtf8(bytes, i);
      host::AppendUtf16(out, step.c);
      length = step.length;
    }
    if (spans) spans->resize(spans->size() + out.size() - before, {i, i + length});
    i += length;
  }
  return out;
}

std::size_t CharacterCount(std::string_view bytes, Encoding encoding) {
  if (encoding == Encoding::Utf8 || encoding == Encoding::Ascii) {
    std::size_t count = 0;
    for (std::size_t at = 0; at < bytes.size(); ++count) {
      at += static_cast<unsigned char>(bytes[at]) < 0x80 ? 1 : host::NextUtf8(bytes, at).length;
    }
    return count;
  }
  if (encoding == Encoding::Windows1252) return bytes.size();
  return CharacterCount(Decode(bytes, encoding));
}

std::size_t CharacterCount(std::u16string_view text) {
  std::size_t count = 0;
  for (std::size_t i = 0; i < text.size(); ++count) host::NextUtf16(text, i);
  return count;
}

host::Text WithReferencesForMissing(std::u16string_view text, Encoding encoding) {
  host::Text out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size();) {
    const std::size_t from = i;
    const char32_t c = host::NextUtf16(text, i);
    if (EncodeCharacter(c, encoding)) {
      out.append(text.substr(from, i - from));
    } else {
      out += u"&#" + host::Decimal(static_cast<std::int64_t>(c)) + u";";
    }
  }
  return out;
}

std::string EncodeWithReferences(std::u16string_view text, Encoding encoding) {
  const host::Text held = WithReferencesForMissing(text, encoding);
  switch (encoding) {
    case Encoding::Utf8:
    case Encoding::Ascii: return host::ToUtf8(held);
    case Encoding::Utf16Le:
    case Encoding::Utf16Be: return EncodeUtf16(held, encoding == Encoding::Utf16Be);
    case Encoding::Windows1252: {
      std::string out;
      for (const char16_t u : held) out += static_cast<char>(*To1252(u));
      return out;
    }
    default: break;
  }
  // A stateful encoding as a whole, so that it switches only where it must;
  // the others character by character, as each was found to be held.
  if (encoding != Encoding::Iso2022Jp) {
    std::string out;
    for (std::size_t i = 0; i < held.size();) out += *EncodeCharacter(host::NextUtf16(held, i), encoding);
    return out;
  }
  if (auto bytes = ConvertToBytes(held, NamesOf(encoding))) return *bytes;
  throw host::Error(code::BadFileMode, u"The converter for " + host::FromUtf8(std::string(NamesOf(encoding).name)) +
                                          u" refused characters it had accepted one by one");
}

}  // namespace pages
