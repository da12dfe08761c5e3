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

}  // namespace
