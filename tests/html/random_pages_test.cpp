// Pages stitched together at random from the pieces that make a tokenizer
// change state: our areas must be the reference parser's, and alts written
// into them must read back as written.
#include <gtest/gtest.h>

#include <random>

#include "page_test_support.h"

namespace {

using pages::Page;

const std::vector<std::string> kPieces = {
    "<area", "<AREA", " href=", " alt=", " ALT", "\"", "'", "<!--", "-->", "--!>", "<!", "<?", "<script>",
    "</script>", "</script", "<script", "<template>", "</template>", "&amp", "&amp;", "&copy", "&#65", "&#x", ">",
    "/", "=", " ", "x", "<title>", "</title>", "<select>", "</select>", "<option>", "\r\n", "\r", "\n",
    "<textarea>", "</textarea>", "<style>", "</style>", "<p>", "</p>", "<map>", "</map>", "<div>", "<![CDATA[",
    "]]>", "<!DOCTYPE html>", "<plaintext>", "<input>", "<xmp>", "</xmp>", "&", "<", "</", "\t", "a", "<b>",
    "</b>", "<noscript>", "</noscript>", "<iframe>", "</iframe>", "\xC3\xA9", "<li>", "<svg>", "</svg>", "<math>", "</math>",
    "<foreignObject>", "</foreignObject>", "<mi>", "<annotation-xml encoding=text/html>", "<font color=x>", "<svg/>"};

std::string RandomPage(std::mt19937& rng) {
  std::string page = "<meta charset=utf-8><body>";
  const int length = 5 + static_cast<int>(rng() % 40);
  for (int k = 0; k < length; ++k) {
    // Areas and their attributes come often, so that most pages have some.
    switch (rng() % 10) {
      case 0: case 1: page += "<area"; break;
      case 2: page += " alt="; break;
      case 3: page += " href="; break;
      default: page += kPieces[rng() % kPieces.size()];
    }
  }
  return page;
}

TEST(RandomPages, AreasAndWrittenAltsAgreeWithTheReferenceParser) {
  std::mt19937 rng(20001208);
  ScratchFolder folder;
  std::size_t areasSeen = 0;
  for (int round = 0; round < 1500; ++round) {
    const std::string bytes = RandomPage(rng);
    const std::string path = folder.Write("page.html", bytes);
    Page page(path);
    const auto expected = ReferenceAreas(bytes);
    ASSERT_EQ(OurAreas(page), expected) << bytes;
    areasSeen += expected.size();

    auto written = expected;
    for (std::size_t i = 0; i < page.AreaCount(); ++i) {
      const host::Text alt = u"v\"'&<>" + host::Decimal(static_cast<std::int64_t>(i));
      page.SetAttribute(i, u"alt", alt);
      written[i].alt = host::ToUtf8(alt);
    }
    page.Save();
    ASSERT_EQ(ReferenceAreas(ReadBytes(path)), written) << bytes << "\nbecame\n" << ReadBytes(path);
  }
  EXPECT_GT(areasSeen, 500u) << "the pages should hold areas";
}

}  // namespace
