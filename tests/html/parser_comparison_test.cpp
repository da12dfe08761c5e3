// Our area list for each shipped page must be the one an HTML5 parser builds.
#include <gtest/gtest.h>

#include "page_test_support.h"

namespace {

using pages::Encoding;
using pages::Page;

std::string Describe(const std::vector<ReferenceArea>& areas) {
  std::string out;
  for (const auto& a : areas) {
    out += "  href=" + (a.href ? "[" + *a.href + "]" : std::string("(none)")) +
           " alt=" + (a.alt ? "[" + *a.alt + "]" : std::string("(none)")) + "\n";
  }
  return out;
}

class ShippedPage : public testing::TestWithParam<std::string> {};

TEST_P(ShippedPage, AreasMatchTheReferenceParser) {
  const std::string path = ShippedPagePath(GetParam());
  const Page page(path);
  const auto expected = ReferenceAreasOfFile(path, page.encoding());
  ASSERT_FALSE(expected.empty()) << "each page is meant to have areas";
  const auto ours = OurAreas(page);
  EXPECT_EQ(ours, expected) << "ours:\n" << Describe(ours) << "reference:\n" << Describe(expected);
}

INSTANTIATE_TEST_SUITE_P(Pages, ShippedPage, testing::ValuesIn(ShippedPageNames()),
                         [](const testing::TestParamInfo<std::string>& info) {
                           std::string name;
                           for (char c : info.param) name += std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
                           return name;
                         });

TEST(ShippedPages, CoverBothEncodingsAndAreNumerous) {
  int utf8 = 0, windows1252 = 0;
  for (const auto& name : ShippedPageNames()) {
    const Page page(ShippedPagePath(name));
    utf8 += page.encoding() == Encoding::Utf8;
    windows1252 += page.encoding() == Encoding::Windows1252;
  }
  EXPECT_GE(ShippedPageNames().size(), 10u);
  EXPECT_GE(utf8, 3);
  EXPECT_GE(windows1252, 2);
}

}  // namespace
