#pragma once
// The character encodings a page file can be in, and the conversions between
// its bytes and the host's UTF-16 text.
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "host/text.h"

namespace pages {

// Every encoding browsers read a page in.
enum class Encoding {
  Utf8,
  Windows1252,
  // No declaration and no byte above 0x7F. Every reader agrees on such a
  // file only while it stays ASCII, so other characters are written as
  // character references.
  Ascii,
  Utf16Le,
  Utf16Be,
  Ibm866,
  Iso8859_2,
  Iso8859_3,
  Iso8859_4,
  Iso8859_5,
  Iso8859_6,
  Iso8859_7,
  Iso8859_8,
  Iso8859_8I,
  Iso8859_10,
  Iso8859_13,
  Iso8859_14,
  Iso8859_15,
  Iso8859_16,
  Koi8R,
  Koi8U,
  Macintosh,
  Windows874,
  Windows1250,
  Windows1251,
  Windows1253,
  Windows1254,
  Windows1255,
  Windows1256,
  Windows1257,
  Windows1258,
  XMacCyrillic,
  Gbk,
  Gb18030,
  Big5,
  EucJp,
  Iso2022Jp,
  ShiftJis,
  EucKr,
};

// What an encoding is called, and the platform's converter for it.
struct EncodingNames {
  Encoding encoding;
  std::string_view name;  // as browsers name it ("shift_jis")
  const char* iconv;      // the C library's converter; null where the page code converts itself
  unsigned codePage;      // Windows' code page; 0 where Windows has none
  // Windows' own single-byte code pages: a byte of 0x80..0x9F they leave
  // undefined reads as the C1 control of that value, as Windows and
  // browsers read it (the C library's converter refuses it).
  bool controlsInGaps = false;
  bool singleByte = false;  // each byte one character
  // The C library's converter for the characters the first one lacks.
  const char* iconvFallback = nullptr;
  bool euroAt80 = false;  // a lone 0x80 is the euro sign, as Windows writes it in gbk
};
const EncodingNames& NamesOf(Encoding encoding);

// What a charset label means to a browser.
struct LabelMeaning {
  enum class Kind {
    Readable,
    // Labels of encodings that browsers refuse to decode (ISO-2022-KR,
    // HZ ...): the whole page reads as one replacement character.
    Replacement,
    // x-user-defined, which a <meta> cannot select: it reads as windows-1252.
    UserDefined,
  } kind;
  Encoding encoding = Encoding::Windows1252;  // for Readable
};
// The meaning of a label in any letter case, with ASCII white space around
// it; nullopt for a label browsers do not know.
std::optional<LabelMeaning> MeaningOfLabel(std::string_view label);

struct DetectedEncoding {
  std::optional<Encoding> encoding;  // empty: a page browsers cannot read
  std::string label;                 // the charset as the file names it, if it does
};

// A byte-order mark first, then a <meta> charset in the first 1024 bytes,
// then the bytes themselves: valid UTF-8, or else windows-1252.
DetectedEncoding DetectEncoding(std::string_view bytes);

// Whether the page's tags are ASCII bytes of the file, so that they can be
// found in it without decoding: every encoding but UTF-16 and iso-2022-jp.
bool TagsAreAsciiBytes(Encoding encoding);

// Whether this system has the converter the encoding needs.
bool CanConvert(Encoding encoding);

// Where the bytes of a decoded character lie, [begin, end); the escape
// sequences of a stateful encoding belong to no character.
struct ByteSpan {
  std::size_t begin, end;
};

// Undecodable bytes become U+FFFD. With `spans`, for each UTF-16 unit of
// the result the bytes of its character.
host::Text Decode(std::string_view bytes, Encoding encoding, std::vector<ByteSpan>* spans = nullptr);

// How many characters the bytes hold, as a browser counts them.
std::size_t CharacterCount(std::string_view bytes, Encoding encoding);
// The characters of decoded text, a surrogate pair being one.
std::size_t CharacterCount(std::u16string_view text);

// `text` with each character that the encoding cannot hold (or would not
// read back as itself) as a numeric character reference.
host::Text WithReferencesForMissing(std::u16string_view text, Encoding encoding);

// Characters the encoding cannot hold become numeric character references,
// so the result is only fit for places where such references are decoded.
std::string EncodeWithReferences(std::u16string_view text, Encoding encoding);

bool IsValidUtf8(std::string_view bytes);
bool IsAscii(std::string_view bytes);

}  // namespace pages
