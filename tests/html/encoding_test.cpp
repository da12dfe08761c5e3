// Which encoding a page file is read in, and how text the encoding cannot
// hold is written.
#include <gtest/gtest.h>

#include "host/error.h"
#include "page_test_support.h"
#include "pages/encoding.h"
#include "pages/page_file.h"

namespace {

using pages::DetectEncoding;
using pages::Encoding;
using pages::Page;

TEST(EncodingDetection, FollowsBomThenMetaThenTheBytes) {
  struct Case {
    const char* what;
    std::string bytes;
    std::optional<Encoding> expected;
  };
  const std::string latin = "<p>caf\xE9</p>";
  const std::string utf8 = "<p>caf\xC3\xA9</p>";
  const std::string filler(1100, ' ');
  const std::vector<Case> cases = {
      {"UTF-8 byte-order mark over a meta", "\xEF\xBB\xBF<meta charset=windows-1252>" + latin, Encoding::Utf8},
      {"meta charset", "<meta charset=\"windows-1252\">" + utf8, Encoding::Windows1252},
      {"meta charset, odd case and spaces", "<META CharSet = ' UTF-8 '>" + latin, Encoding::Utf8},
      {"http-equiv content",
       "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=iso-8859-1\">" + utf8, Encoding::Windows1252},
      {"content before http-equiv", "<meta content='text/html;charset=utf-8' http-equiv='content-type'>" + latin,
       Encoding::Utf8},
      {"content without http-equiv declares nothing", "<meta content=\"charset=windows-1252\">" + utf8,
       Encoding::Utf8},
      {"meta in a comment does not count", "<!-- <meta charset=windows-1252> -->" + utf8, Encoding::Utf8},
      {"meta inside another tag's value does not count", "<img alt='<meta charset=windows-1252>'>" + utf8,
       Encoding::Utf8},
      {"meta past the first 1024 bytes does not count", filler + "<meta charset=windows-1252>" + utf8,
       Encoding::Utf8},
      {"undeclared valid UTF-8", utf8, Encoding::Utf8},
      {"undeclared, not UTF-8", latin, Encoding::Windows1252},
      {"undeclared ASCII", "<p>plain</p>", Encoding::Ascii},
      {"a charset we cannot write", "<meta charset=shift_jis><p>x</p>", std::nullopt},
      {"UTF-16", std::string("\xFF\xFE<\0p\0>\0", 8), std::nullopt},
  };
  for (const auto& c : cases) EXPECT_EQ(DetectEncoding(c.bytes).encoding, c.expected) << c.what;
}

TEST(EncodingOfWrittenText, EachEncodingKeepsWhatItCanAndReferencesTheRest) {
  struct Case {
    const char* what;
    std::string head;
    Encoding encoding;
    std::string expectedValue;  // bytes between the quotes
  };
  const host::Text text = u"\u00e9\u20ac\u65e5\U0001F600";
  const std::vector<Case> cases = {
      {"UTF-8", "<meta charset=utf-8>", Encoding::Utf8, "\xC3\xA9\xE2\x82\xAC\xE6\x97\xA5\xF0\x9F\x98\x80"},
      {"windows-1252", "<meta charset=windows-1252>", Encoding::Windows1252, "\xE9\x80&#26085;&#128512;"},
      {"undeclared ASCII stays ASCII", "", Encoding::Ascii, "&#233;&#8364;&#26085;&#128512;"},
  };
  for (const auto& c : cases) {
    ScratchFolder folder;
    const std::string path = folder.Write("p.html", c.head + "<area href=a>");
    Page page(path);
    ASSERT_EQ(page.encoding(), c.encoding) << c.what;
    page.SetAttribute(0, u"alt", text);
    page.Save();
    EXPECT_EQ(ReadBytes(path), c.head + "<area href=a alt=\"" + c.expectedValue + "\">") << c.what;
    const Page reopened(path);
    EXPECT_EQ(reopened.encoding(), c.encoding) << c.what;
    EXPECT_EQ(reopened.GetAttribute(0, u"alt"), text) << c.what;
  }
}

TEST(EncodingOfReadText, Windows1252BytesAndTheirGaps) {
  // 0x80..0x9F hold typographic characters; 0x81 is unassigned and kept as
  // the control of that value.
  ScratchFolder folder;
  Page page(folder.Write("p.html", "<area alt=\"\x80\x85\x93x\x94\x81\xFF\">"));
  EXPECT_EQ(page.encoding(), Encoding::Windows1252);
  EXPECT_EQ(page.GetAttribute(0, u"alt"), host::Text(u"\u20ac\u2026\u201cx\u201d\u0081\u00ff"));
}

TEST(EncodingOfPages, ASaveThatWouldChangeHowThePageReadsIsRefused) {
  // Undeclared and read as windows-1252 only because of the stray 0xFF.
  ScratchFolder folder;
  const std::string bytes = "<area href=a alt=\xff><area href=\xc3\x9c" "ber>";
  const std::string path = folder.Write("p.html", bytes);
  Page page(path);
  ASSERT_EQ(page.encoding(), Encoding::Windows1252);
  page.SetAttribute(0, u"alt", u"x");
  try {
    page.Save();
    FAIL() << "saved";
  } catch (const host::Error& e) {
    EXPECT_EQ(e.code(), pages::code::BadFileMode);
  }
  EXPECT_EQ(ReadBytes(path), bytes) << "the file stays as it was";
  EXPECT_EQ(page.GetAttribute(0, u"alt"), host::Text(u"x")) << "and the edit is kept";
  EXPECT_EQ(page.GetAttribute(1, u"href"), host::Text(u"\u00c3\u0153ber"));
}

TEST(EncodingOfPages, OneWeCannotWriteIsRefusedByName) {
  ScratchFolder folder;
  const std::string path = folder.Write("sjis.html", "<meta charset=\"Shift_JIS\"><area href=a>");
  try {
    Page page(path);
    FAIL() << "opened";
  } catch (const host::Error& e) {
    EXPECT_EQ(e.code(), pages::code::BadFileMode);
    const std::string description = host::ToUtf8(e.description());
    EXPECT_NE(description.find(path), std::string::npos) << description;
    EXPECT_NE(description.find("shift_jis"), std::string::npos) << description;
  }
}

}  // namespace
