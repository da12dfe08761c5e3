// Saving a page changes nothing but the edited area tags, and what we write
// is read back by an HTML5 parser as the text we were given.
#include <gtest/gtest.h>

#include "host/error.h"
#include "page_test_support.h"

namespace {

using pages::Page;

// Texts that need escaping, references or care with quotes and line breaks.
const std::vector<host::Text> kAwkwardTexts = {
    u"Say \"hi\" & <wave> 'bye'",
    u"caf\u00e9 \u20ac \u65e5\u672c \U0001F600",
    u"&amp; is not decoded twice; &copy=1",
    u"line\r\nbreak\rand\ttab",
    u"   ",
    u"",
};

// The page's text outside the tags of `edited` must be as it was. Tags are
// located by the reference parser in both versions.
void ExpectChangedOnlyInside(const std::string& before, const std::string& after, std::size_t edited) {
  const auto oldTags = ReferenceAreaTags(before);
  const auto newTags = ReferenceAreaTags(after);
  ASSERT_EQ(oldTags.size(), newTags.size());
  ASSERT_LT(edited, oldTags.size());
  EXPECT_EQ(before.substr(0, oldTags[edited].begin), after.substr(0, newTags[edited].begin));
  EXPECT_EQ(before.substr(oldTags[edited].end), after.substr(newTags[edited].end));
}

// Every area, but on a page with hundreds only a sample.
std::vector<std::size_t> AreasToEdit(std::size_t count) {
  std::vector<std::size_t> picked;
  const std::size_t step = count > 40 ? 37 : 1;
  for (std::size_t i = 0; i < count; i += step) picked.push_back(i);
  return picked;
}

class EachShippedPage : public testing::TestWithParam<std::string> {};

TEST_P(EachShippedPage, SavesUnchangedAsTheSameBytes) {
  ScratchFolder folder;
  const std::string path = folder.CopyPage(GetParam());
  Page page(path);
  for (std::size_t i = 0; i < page.AreaCount(); ++i) page.GetAttribute(i, u"alt");
  EXPECT_FALSE(page.Modified());
  page.Save();
  EXPECT_EQ(ReadBytes(path), ReadBytes(ShippedPagePath(GetParam())));
  EXPECT_EQ(folder.FileNames(), std::vector<std::string>{GetParam()}) << "nothing left beside the page";
}

TEST_P(EachShippedPage, OneEditedAltChangesOnlyItsTag) {
  const std::string original = ShippedPagePath(GetParam());
  const Page reference(original);
  const auto before = ReferenceAreasOfFile(original, reference.encoding());
  const std::string beforeUtf8 = Utf8OfFile(original, reference.encoding());
  ASSERT_FALSE(before.empty());
  std::size_t round = 0;
  for (const std::size_t area : AreasToEdit(before.size())) {
    const host::Text& text = kAwkwardTexts[round++ % kAwkwardTexts.size()];
    ScratchFolder folder;
    const std::string path = folder.CopyPage(GetParam());
    Page page(path);
    page.SetAttribute(area, u"alt", text);
    EXPECT_EQ(page.GetAttribute(area, u"alt"), text) << "read before saving";
    page.Save();

    auto expected = before;
    expected[area].alt = host::ToUtf8(text);
    EXPECT_EQ(ReferenceAreasOfFile(path, page.encoding()), expected) << "area " << area;
    ExpectChangedOnlyInside(beforeUtf8, Utf8OfFile(path, page.encoding()), area);
    EXPECT_EQ(Page(path).GetAttribute(area, u"alt"), text) << "read back by us after reopening";
  }
}

TEST_P(EachShippedPage, RemovedAltIsGoneAndOnlyItsTagChanges) {
  const std::string original = ShippedPagePath(GetParam());
  const Page reference(original);
  const auto before = ReferenceAreasOfFile(original, reference.encoding());
  const std::string beforeUtf8 = Utf8OfFile(original, reference.encoding());
  for (const std::size_t area : AreasToEdit(before.size())) {
    ScratchFolder folder;
    const std::string path = folder.CopyPage(GetParam());
    Page page(path);
    EXPECT_EQ(page.RemoveAttribute(area, u"ALT"), before[area].alt.has_value());
    page.Save();

    auto expected = before;
    expected[area].alt.reset();
    EXPECT_EQ(ReferenceAreasOfFile(path, page.encoding()), expected) << "area " << area;
    if (before[area].alt) {
      ExpectChangedOnlyInside(beforeUtf8, Utf8OfFile(path, page.encoding()), area);
    } else {
      EXPECT_EQ(ReadBytes(path), ReadBytes(original));
    }
  }
}

TEST_P(EachShippedPage, EveryAltWrittenAtOnce) {
  ScratchFolder folder;
  const std::string path = folder.CopyPage(GetParam());
  Page page(path);
  auto expected = ReferenceAreasOfFile(path, page.encoding());
  for (std::size_t i = 0; i < page.AreaCount(); ++i) {
    const host::Text text = u"Area " + host::Decimal(static_cast<std::int64_t>(i)) + u" \u2013 \"" +
                            kAwkwardTexts[i % kAwkwardTexts.size()] + u"\"";
    if (i % 4 == 3) {
      page.RemoveAttribute(i, u"alt");
      expected[i].alt.reset();
    } else {
      page.SetAttribute(i, u"alt", text);
      expected[i].alt = host::ToUtf8(text);
    }
  }
  page.Save();
  EXPECT_FALSE(page.Modified());
  EXPECT_EQ(ReferenceAreasOfFile(path, page.encoding()), expected);
  EXPECT_EQ(OurAreas(page), expected) << "the page reads its saved self";
  // Between the area tags, nothing moved.
  const std::string before = Utf8OfFile(ShippedPagePath(GetParam()), page.encoding());
  const std::string after = Utf8OfFile(path, page.encoding());
  const auto oldTags = ReferenceAreaTags(before);
  const auto newTags = ReferenceAreaTags(after);
  ASSERT_EQ(oldTags.size(), newTags.size());
  for (std::size_t i = 0; i <= oldTags.size(); ++i) {
    const std::size_t oldFrom = i == 0 ? 0 : oldTags[i - 1].end;
    const std::size_t newFrom = i == 0 ? 0 : newTags[i - 1].end;
    const std::size_t oldTo = i == oldTags.size() ? before.size() : oldTags[i].begin;
    const std::size_t newTo = i == newTags.size() ? after.size() : newTags[i].begin;
    EXPECT_EQ(before.substr(oldFrom, oldTo - oldFrom), after.substr(newFrom, newTo - newFrom)) << "before area " << i;
  }
}

INSTANTIATE_TEST_SUITE_P(Pages, EachShippedPage, testing::ValuesIn(ShippedPageNames()),
                         [](const testing::TestParamInfo<std::string>& info) {
                           std::string name;
                           for (char c : info.param) name += std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
                           return name;
                         });

// How an alt goes into tags whose end is easy to get wrong, and how one
// comes out with its leading space and every duplicate, the other
// attributes intact either way.
TEST(AttributeEdits, KeepTheTagsOtherAttributesIntact) {
  struct Case {
    std::string tag, expected;
    bool remove = false;  // else alt="x" is set
  };
  const std::vector<Case> cases = {
      {"<area href=\"a\">", "<area href=\"a\" alt=\"x\">"},
      {"<area href=\"a\"/>", "<area href=\"a\" alt=\"x\"/>"},
      {"<area/>", "<area alt=\"x\"/>"},
      {"<area href=a/>", "<area href=a/ alt=\"x\">"},  // the slash is part of the value
      {"<area href=>", "<area alt=\"x\" href=>"},      // a bare '=' would take what follows
      {"<area alt>", "<area alt=\"x\">"},
      {"<area alt=>", "<area alt=\"x\">"},
      {"<area alt=old>", "<area alt=\"x\">"},
      {"<area alt='old' title='t'>", "<area alt='x' title='t'>"},
      {"<area href=\"a\" alt=\"x\">", "<area href=\"a\">", true},
      {"<area alt=\"x\" href=\"a\">", "<area href=\"a\">", true},
      {"<area href=\"a\"\n   alt = 'x'/>", "<area href=\"a\"/>", true},
      {"<area href=\"a\"alt=x>", "<area href=\"a\">", true},
      // A duplicate the parser ignored must not come into force.
      {"<area ALT=\"x\" href=\"a\" alt=\"y\">", "<area href=\"a\">", true},
  };
  for (const auto& c : cases) {
    ScratchFolder folder;
    const std::string path = folder.Write("p.html", "<body>" + c.tag + "</body>");
    Page page(path);
    if (c.remove) {
      EXPECT_TRUE(page.RemoveAttribute(0, u"alt")) << c.tag;
      EXPECT_EQ(page.GetAttribute(0, u"alt"), std::nullopt) << c.tag;
    } else {
      page.SetAttribute(0, u"alt", u"x");
    }
    page.Save();
    EXPECT_EQ(ReadBytes(path), "<body>" + c.expected + "</body>") << c.tag;
  }
}

TEST(AreaIndex, IsBuiltOncePerContent) {
  ScratchFolder folder;
  const std::string path = folder.CopyPage("many-areas-ascii.html");
  Page page(path);
  ASSERT_EQ(page.AreaCount(), 300u);
  for (int pass = 0; pass < 3; ++pass) {
    for (std::size_t i = 0; i < page.AreaCount(); ++i) {
      page.GetAttribute(i, u"href");
      page.SetAttribute(i, u"alt", u"Area " + host::Decimal(static_cast<std::int64_t>(i)));
    }
  }
  EXPECT_EQ(page.IndexBuilds(), 1u) << "edits keep the index";
  page.Save();
  EXPECT_EQ(page.GetAttribute(299, u"alt"), u"Area 299");
  EXPECT_EQ(page.IndexBuilds(), 2u) << "the saved bytes are indexed afresh";
  page.Save();
  page.GetAttribute(0, u"alt");
  EXPECT_EQ(page.IndexBuilds(), 2u) << "an unchanged save keeps the index";
}

TEST(AreaAccess, IndexPastTheEndAndBadNamesFail) {
  ScratchFolder folder;
  Page page(folder.Write("p.html", "<area href=a>"));
  EXPECT_THROW(page.GetAttribute(1, u"alt"), host::Error);
  EXPECT_THROW(page.SetAttribute(1, u"alt", u"x"), host::Error);
  EXPECT_THROW(page.SetAttribute(0, u"al t", u"x"), host::Error);
  EXPECT_THROW(page.SetAttribute(0, u"", u"x"), host::Error);
  EXPECT_FALSE(page.Modified());
  EXPECT_EQ(page.AreaSource(0), u"<area href=a>");
}

}  // namespace
