#include <gtest/gtest.h>

#include "host/text.h"

namespace {

TEST(Text, DecimalHasNoPaddingAndHandlesExtremes) {
  EXPECT_EQ(host::Decimal(0), u"0");
  EXPECT_EQ(host::Decimal(32767), u"32767");
  EXPECT_EQ(host::Decimal(-32768), u"-32768");
  EXPECT_EQ(host::Decimal(INT64_MIN), u"-9223372036854775808");
}

TEST(Text, Utf8RoundTripsOutsideTheBasicPlane) {
  const std::u16string text = u"Caf\u00e9 \u20ac \U0001F600";
  EXPECT_EQ(host::FromUtf8(host::ToUtf8(text)), text);
  EXPECT_EQ(host::ToUtf8(u"\u00e9"), "\xC3\xA9");
}

// Malformed input never passes as other text: each bad sequence is one
// U+FFFD for its longest valid beginning, and what follows it is kept.
TEST(Text, MalformedUtf8AndLoneSurrogatesDecodeAsReplacementCharacters) {
  const struct {
    const char* utf8;
    std::u16string text;
  } cases[] = {
      {"\xC3(", u"\uFFFD("},                  // a continuation byte missing
      {"a\xE2\x82", u"a\uFFFD"},               // cut short at the end
      {"\xC0\xAF", u"\uFFFD\uFFFD"},            // overlong
      {"\xED\xA0\x80", u"\uFFFD\uFFFD\uFFFD"},  // an encoded surrogate
      {"\xF4\x90\x80\x80", u"\uFFFD\uFFFD\uFFFD\uFFFD"},  // past U+10FFFF
      {"\x80x", u"\uFFFDx"},                   // a stray continuation byte
  };
  for (const auto& c : cases) EXPECT_EQ(host::FromUtf8(c.utf8), c.text) << c.utf8;
  EXPECT_EQ(host::ToUtf8(std::u16string(1, u'\xD800') + u"x"), "\xEF\xBF\xBDx");
}

}  // namespace
