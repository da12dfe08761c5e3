// The iso-2022-jp reader and writer, here through the C library's CP932 as
// on Windows through code page 932: bytes read as browsers read them
// (U+FFFD and the bytes each character comes from included), and texts
// written so that they read back.
#include <gtest/gtest.h>

#include <optional>

#include "pages/converter.h"

namespace {

using pages::ByteSpan;

const pages::EncodingNames& kNames = pages::NamesOf(pages::Encoding::Iso2022Jp);

struct Spanned {
  std::u16string text;
  std::vector<std::pair<std::size_t, std::size_t>> spans;
  bool operator==(const Spanned&) const = default;
};

void PrintTo(const Spanned& s, std::ostream* out) {
  for (const char16_t u : s.text) *out << "U+" << std::hex << static_cast<unsigned>(u) << ' ';
  for (const auto& [b, e] : s.spans) *out << std::dec << '[' << b << ',' << e << ')';
}

Spanned Decoded(std::string_view bytes) {
  std::vector<ByteSpan> spans;
  Spanned out{pages::ConvertToText(bytes, kNames, &spans), {}};
  for (const ByteSpan& s : spans) out.spans.emplace_back(s.begin, s.end);
  return out;
}

TEST(Iso2022Jp, ReadsAsBrowsersRead) {
  // What Chromium's TextDecoder gives for the same bytes.
  const struct {
    const char* what;
    std::string bytes;
    Spanned expected;
  } cases[] = {
      {"kanji between the shifts", "a\x1B$BF|K\\\x1B(Bb", {u"a\u65e5\u672cb", {{0, 1}, {4, 6}, {6, 8}, {11, 12}}}},
      {"the older shift to JIS X 0208", "\x1B$@F|\x1B(B", {u"\u65e5", {{3, 5}}}},
      {"row 1's symbols as Shift_JIS reads them", "\x1B$B!A!@!B!]!q!r\"L!o\x1B(B",
       {u"\uff5e\uff3c\u2225\uff0d\uffe0\uffe1\uffe2\uffe5",
        {{3, 5}, {5, 7}, {7, 9}, {9, 11}, {11, 13}, {13, 15}, {15, 17}, {17, 19}}}},
      {"row 13, and IBM's kanji in rows 89 and 92", "\x1B$B-!-\"-by!|n\x1B(B",
       {u"\u2460\u2461\u2116\u7e8a\u9ed1", {{3, 5}, {5, 7}, {7, 9}, {9, 11}, {11, 13}}}},
      {"pairs of rows without characters", "\x1B$Bu!}!)!\x1B(B", {u"\ufffd\ufffd\ufffd", {{3, 5}, {5, 7}, {7, 9}}}},
      {"a shift right after a shift", "a\x1B(B\x1B$BF|\x1B(B", {u"a\ufffd\u65e5", {{0, 1}, {4, 7}, {7, 9}}}},
      {"an escape sequence of another set", "a\x1B(Cb", {u"a\ufffd(Cb", {{0, 1}, {1, 2}, {2, 3}, {3, 4}, {4, 5}}}},
      {"a lead byte before a shift", "\x1B$BF\x1B(Ba", {u"\ufffda", {{3, 4}, {7, 8}}}},
      {"a lead byte at the end", "\x1B$BF", {u"\ufffd", {{3, 4}}}},
      {"a line break after a lead byte", "\x1B$BF\na", {u"\ufffd\ufffd", {{3, 5}, {5, 6}}}},
      {"a line break in JIS X 0208", "\x1B$B\nF|", {u"\ufffd\u65e5", {{3, 4}, {4, 6}}}},
      {"JIS X 0201 Roman", "\x1B(J\\~a\x0E\x1B(B", {u"\u00a5\u203ea\ufffd", {{3, 4}, {4, 5}, {5, 6}, {6, 7}}}},
      {"half-width katakana", "\x1B(I!_`1\x1B(B", {u"\uff61\uff9f\ufffd\uff71", {{3, 4}, {4, 5}, {5, 6}, {6, 7}}}},
      {"bytes outside 7 bits, and the shift-outs", "a\x80\xFF\x0E\x0F",
       {u"a\ufffd\ufffd\ufffd\ufffd", {{0, 1}, {1, 2}, {2, 3}, {3, 4}, {4, 5}}}},
      {"an ESC at the end", "a\x1B", {u"a\ufffd", {{0, 1}, {1, 2}}}},
      {"an escape sequence cut short", "a\x1B$", {u"a\ufffd$", {{0, 1}, {1, 2}, {2, 3}}}},
      {"an ESC before an escape sequence", "a\x1B\x1B(Bb", {u"a\ufffdb", {{0, 1}, {1, 2}, {5, 6}}}},
  };
  for (const auto& c : cases) EXPECT_EQ(Decoded(c.bytes), c.expected) << c.what;
}

TEST(Iso2022Jp, WritesTextsThatReadBack) {
  const struct {
    std::u16string text;
    std::optional<std::string> expected;
  } cases[] = {
      {u"", ""},
      {u"a\u65e5\u672c b", "a\x1B$BF|K\\\x1B(B b"},
      {u"\u00a5\u203e~", "\x1B(J\\~\x1B(B~"},
      {u"\uff71\u65e5", "\x1B(I1\x1B$BF|\x1B(B"},
      {u"\uff5e\u2460", "\x1B$B!A-!\x1B(B"},
      {u"\u301c", std::nullopt},  // browsers read 0x2141 as U+FF5E
      {u"\u7e8a", std::nullopt},  // Shift_JIS writes it past row 94
      {u"\u00e9", std::nullopt},
      {u"\U0001F600", std::nullopt},
      {u"a\x1B", std::nullopt},
  };
  for (const auto& c : cases) {
    const auto bytes = pages::ConvertToBytes(c.text, kNames);
    EXPECT_EQ(bytes, c.expected) << testing::PrintToString(c.text);
    if (bytes) {
      EXPECT_EQ(pages::ConvertToText(*bytes, kNames, nullptr), c.text);
    }
  }
}

}  // namespace
