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
    std::string label = {};  // as the page names it, trimmed
  };
  const std::string latin = "<p>caf\xE9</p>";
  const std::string utf8 = "<p>caf\xC3\xA9</p>";
  const std::string filler(1100, ' ');
  const std::vector<Case> cases = {
      {"UTF-8 byte-order mark over a meta", "\xEF\xBB\xBF<meta charset=windows-1252>" + latin, Encoding::Utf8},
      {"meta charset", "<meta charset=\"windows-1252\">" + utf8, Encoding::Windows1252},
      {"meta charset, odd case and spaces", "<META CharSet = ' UTF-8 '>" + latin, Encoding::Utf8, "UTF-8"},
      {"http-equiv content",
       "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=iso-8859-1\">" + utf8, Encoding::Windows1252,
       "iso-8859-1"},
      {"http-equiv content, odd case, quoted",
       "<meta HTTP-EQUIV=CONTENT-TYPE content=\"Text/HTML; CharSet=' Shift_JIS '\">" + utf8, Encoding::ShiftJis,
       "Shift_JIS"},
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
      {"a legacy multi-byte charset", "<meta charset=shift_jis><p>x</p>", Encoding::ShiftJis},
      {"UTF-16LE by its byte-order mark", std::string("\xFF\xFE<\0p\0>\0", 8), Encoding::Utf16Le},
      {"UTF-16BE by its byte-order mark, over a meta", "\xFE\xFF<meta charset=big5>", Encoding::Utf16Be},
      {"UTF-16 without a byte-order mark reads as its bytes", std::string("<\0p\0>\0", 6), Encoding::Ascii},
      {"a UTF-16 label in a meta means UTF-8", "<meta charset=utf-16le>" + latin, Encoding::Utf8},
      {"so do unicode and ucs-2", "<meta http-equiv=content-type content='text/html; charset=ucs-2'>" + latin,
       Encoding::Utf8},
      {"x-user-defined in a meta means windows-1252", "<meta charset=x-user-defined>" + utf8, Encoding::Windows1252},
      {"an unknown label is passed over for the next meta", "<meta charset=utf-7><meta charset=koi8-r>" + utf8,
       Encoding::Koi8R},
      {"an unknown label leaves the bytes to decide", "<meta charset=x-klingon>" + latin, Encoding::Windows1252},
      {"a label with a stray quote is unknown", "<meta charset=big5\">" + utf8, Encoding::Utf8},
      {"a replacement label makes the page unreadable", "<meta charset=iso-2022-kr><meta charset=utf-8>", std::nullopt,
       "iso-2022-kr"},
      {"and is named as written", "<meta charset=\"\tISO-2022-KR \">", std::nullopt, "ISO-2022-KR"},
  };
  for (const auto& c : cases) {
    const auto detected = DetectEncoding(c.bytes);
    EXPECT_EQ(detected.encoding, c.expected) << c.what;
    if (!c.label.empty()) {
      EXPECT_EQ(detected.label, c.label) << c.what;
    }
  }
}

TEST(EncodingLabels, EachMeansWhatItMeansToBrowsers) {
  using Kind = pages::LabelMeaning::Kind;
  struct Case {
    std::string label;
    std::optional<Kind> kind;  // nullopt: a label browsers ignore
    Encoding encoding = Encoding::Windows1252;
  };
  const std::vector<Case> cases = {
      {"utf-8", Kind::Readable, Encoding::Utf8},
      {"UNICODE-1-1-UTF-8", Kind::Readable, Encoding::Utf8},
      {" \t\n\f\rUtf8 \r\n", Kind::Readable, Encoding::Utf8},
      {"x-unicode20utf8", Kind::Readable, Encoding::Utf8},
      {"866", Kind::Readable, Encoding::Ibm866},
      {"latin2", Kind::Readable, Encoding::Iso8859_2},
      {"ISO_8859-3:1988", Kind::Readable, Encoding::Iso8859_3},
      {"l4", Kind::Readable, Encoding::Iso8859_4},
      {"cyrillic", Kind::Readable, Encoding::Iso8859_5},
      {"asmo-708", Kind::Readable, Encoding::Iso8859_6},
      {"csiso88596i", Kind::Readable, Encoding::Iso8859_6},
      {"sun_eu_greek", Kind::Readable, Encoding::Iso8859_7},
      {"visual", Kind::Readable, Encoding::Iso8859_8},
      {"logical", Kind::Readable, Encoding::Iso8859_8I},
      {"latin6", Kind::Readable, Encoding::Iso8859_10},
      {"iso885913", Kind::Readable, Encoding::Iso8859_13},
      {"iso8859-14", Kind::Readable, Encoding::Iso8859_14},
      {"l9", Kind::Readable, Encoding::Iso8859_15},
      {"iso-8859-16", Kind::Readable, Encoding::Iso8859_16},
      {"koi", Kind::Readable, Encoding::Koi8R},
      {"koi8-ru", Kind::Readable, Encoding::Koi8U},
      {"x-mac-roman", Kind::Readable, Encoding::Macintosh},
      {"tis-620", Kind::Readable, Encoding::Windows874},
      {"iso-8859-11", Kind::Readable, Encoding::Windows874},
      {"x-cp1250", Kind::Readable, Encoding::Windows1250},
      {"cp1251", Kind::Readable, Encoding::Windows1251},
      {"us-ascii", Kind::Readable, Encoding::Windows1252},
      {"iso-8859-1", Kind::Readable, Encoding::Windows1252},
      {"ELOT_928", Kind::Readable, Encoding::Iso8859_7},
      {"windows-1253", Kind::Readable, Encoding::Windows1253},
      {"latin5", Kind::Readable, Encoding::Windows1254},
      {"iso-8859-9", Kind::Readable, Encoding::Windows1254},
      {"cp1255", Kind::Readable, Encoding::Windows1255},
      {"x-cp1256", Kind::Readable, Encoding::Windows1256},
      {"windows-1257", Kind::Readable, Encoding::Windows1257},
      {"cp1258", Kind::Readable, Encoding::Windows1258},
      {"x-mac-ukrainian", Kind::Readable, Encoding::XMacCyrillic},
      {"GB2312", Kind::Readable, Encoding::Gbk},
      {"chinese", Kind::Readable, Encoding::Gbk},
      {"gb18030", Kind::Readable, Encoding::Gb18030},
      {"big5-hkscs", Kind::Readable, Encoding::Big5},
      {"x-x-big5", Kind::Readable, Encoding::Big5},
      {"cseucpkdfmtjapanese", Kind::Readable, Encoding::EucJp},
      {"csiso2022jp", Kind::Readable, Encoding::Iso2022Jp},
      {"Shift_JIS", Kind::Readable, Encoding::ShiftJis},
      {"ms932", Kind::Readable, Encoding::ShiftJis},
      {"windows-31j", Kind::Readable, Encoding::ShiftJis},
      {"ks_c_5601-1987", Kind::Readable, Encoding::EucKr},
      {"windows-949", Kind::Readable, Encoding::EucKr},
      {"utf-16", Kind::Readable, Encoding::Utf16Le},
      {"unicode", Kind::Readable, Encoding::Utf16Le},
      {"ucs-2", Kind::Readable, Encoding::Utf16Le},
      {"unicodefffe", Kind::Readable, Encoding::Utf16Be},
      {"utf-16be", Kind::Readable, Encoding::Utf16Be},
      {"csiso2022kr", Kind::Replacement},
      {"hz-gb-2312", Kind::Replacement},
      {"iso-2022-cn-ext", Kind::Replacement},
      {"x-user-defined", Kind::UserDefined},
      // Labels browsers ignore.
      {"replacement", std::nullopt},
      {"utf-7", std::nullopt},
      {"utf-32", std::nullopt},
      {"iso-2022-jp-2", std::nullopt},
      {"iso-8859-12", std::nullopt},
      {"windows-1252 ", Kind::Readable, Encoding::Windows1252},
      {"windows 1252", std::nullopt},
      {"\vutf-8", std::nullopt},
      {"utf-8\xC2\xA0", std::nullopt},
      {"\"big5\"", std::nullopt},
      {"big5\"", std::nullopt},
      {"", std::nullopt},
      {"sjis2", std::nullopt},
      {"zzz", std::nullopt},
      {"0", std::nullopt},
  };
  for (const auto& c : cases) {
    const auto meaning = pages::MeaningOfLabel(c.label);
    ASSERT_EQ(meaning.has_value(), c.kind.has_value()) << c.label;
    if (!meaning) continue;
    EXPECT_EQ(meaning->kind, *c.kind) << c.label;
    if (meaning->kind == Kind::Readable) {
      EXPECT_EQ(meaning->encoding, c.encoding) << c.label;
      EXPECT_EQ(pages::NamesOf(c.encoding).encoding, c.encoding) << c.label;
    }
  }
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

TEST(EncodingOfReadText, BytesAConverterReadsOtherwiseReadAsBrowsersReadThem) {
  struct Case {
    const char* charset;
    std::string alt;  // bytes, in double quotes
    host::Text expected;
  };
  const std::vector<Case> cases = {
      // Windows' own code pages read their undefined 0x80..0x9F as controls.
      {"windows-1250", "\x81\x98\x8A", u"\u0081\u0098\u0160"},
      {"windows-874", "\x81\xA1", u"\u0081\u0e01"},
      // Bytes no character has.
      {"windows-1253", "\xAAx", u"\ufffdx"},
      {"iso-8859-8", "\xBF\xE0", u"\ufffd\u05d0"},
      // An accent after a letter stays a character of its own.
      {"windows-1258", "a\xEC", u"a\u0301"},
      {"windows-1255", "\xF9\xD1", u"\u05e9\u05c1"},
      // Trail bytes that are ASCII letters or a backslash.
      {"shift_jis", "\x95\x5C\x83\x5C~\\", u"\u8868\u30bd~\\"},
      {"big5", "\xA5\x5C\xB3\x5C", u"\u529f\u8a31"},
      {"big5", "\xA1\xFE\xA2\x40\xA3\xE1\x88\x66\x88\x62", u"\uff0f\uff3c\u20ac\u00ca\u00ca\u0304"},
      {"gbk", "\x81\x40\xD6\xD0", u"\u4e02\u4e2d"},
      {"gb18030", "\x81\x30\x81\x30", u"\u0080"},
      {"euc-kr", "\xC7\xD1\x81\x41", u"\ud55c\uac02"},
      {"euc-jp", "\xC6\xFC\x8E\xB1", u"\u65e5\uff71"},
      // Row 1 symbols as Windows and browsers read them, and NEC's circled numbers.
      {"euc-jp", "\xA1\xC1\xA1\xDD\xAD\xA1", u"\uff5e\uff0d\u2460"},
      {"shift_jis", "\x81\x60\x81\x7C\x87\x40", u"\uff5e\uff0d\u2460"},
      // Windows writes the euro sign in gbk as one byte.
      {"gbk", "\x80\xA2\xE3", u"\u20ac\u20ac"},
      // A lead byte with no trail before the quote: the quote still ends the value.
      {"big5", "x\xA4", u"x\ufffd"},
      {"shift_jis", "\x81", u"\ufffd"},
  };
  for (const auto& c : cases) {
    ScratchFolder folder;
    Page page(folder.Write("p.html", "<meta charset=" + std::string(c.charset) + "><area alt=\"" + c.alt + "\" href=b>"));
    ASSERT_EQ(page.AreaCount(), 1u) << c.charset;
    EXPECT_EQ(page.GetAttribute(0, u"alt"), c.expected) << c.charset << " " << host::ToUtf8(*page.GetAttribute(0, u"alt"));
    EXPECT_EQ(page.GetAttribute(0, u"href"), host::Text(u"b")) << c.charset;
  }
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

TEST(EncodingOfPages, Iso2022JpTagsAreEditedWhereverTheShiftsAre) {
  // Japanese before, inside and after the tags; the new text comes back to
  // ASCII before the bytes that follow it.
  const std::string jis = "\x1B$BF|K\\\x1B(B";  // 日本
  ScratchFolder folder;
  const std::string bytes = "<meta charset=iso-2022-jp>" + jis + "<map><area href=\"" + jis + "\">" + jis +
                            "<area href=b alt=\"" + jis + "\"></map>" + jis;
  const std::string path = folder.Write("p.html", bytes);
  Page page(path);
  ASSERT_EQ(page.AreaCount(), 2u);
  EXPECT_EQ(page.GetAttribute(0, u"href"), host::Text(u"\u65e5\u672c"));
  page.SetAttribute(0, u"alt", u"\u5730\u56f3 \u00e9");
  page.Save();
  EXPECT_EQ(ReadBytes(path), "<meta charset=iso-2022-jp>" + jis + "<map><area href=\"" + jis +
                                 "\" alt=\"\x1B$BCO?^\x1B(B &#233;\">" + jis + "<area href=b alt=\"" + jis + "\"></map>" + jis);
  EXPECT_EQ(Page(path).GetAttribute(0, u"alt"), host::Text(u"\u5730\u56f3 \u00e9"));
}

TEST(EncodingOfPages, AnEditAStatefulPageWouldReadOtherwiseIsRefused) {
  // The tag stands in JIS X 0201 Roman, where 0x7E is an overline: a tilde
  // written in ASCII there would read as one.
  ScratchFolder folder;
  const std::string bytes = "<meta charset=iso-2022-jp>\x1B(J<area href=a>x";
  const std::string path = folder.Write("p.html", bytes);
  Page page(path);
  page.SetAttribute(0, u"alt", u"~");
  EXPECT_THROW(page.Save(), host::Error);
  EXPECT_EQ(ReadBytes(path), bytes);
}

TEST(EncodingOfPages, OneBrowsersDoNotReadIsRefusedByName) {
  ScratchFolder folder;
  const std::string path = folder.Write("kr.html", "<meta charset=\" ISO-2022-KR \"><area href=a>");
  try {
    Page page(path);
    FAIL() << "opened";
  } catch (const host::Error& e) {
    EXPECT_EQ(e.code(), pages::code::BadFileMode);
    const std::string description = host::ToUtf8(e.description());
    EXPECT_NE(description.find(path), std::string::npos) << description;
    EXPECT_NE(description.find("its encoding \"ISO-2022-KR\" is one browsers do not read"), std::string::npos)
        << description;
  }
}

}  // namespace
