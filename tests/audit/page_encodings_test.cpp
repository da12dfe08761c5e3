// A page in each encoding browsers read, made from UTF-8 text by the C
// library's converter: the audit finds its areas with their texts, lines and
// columns, and the to-do list writes texts of its script in its own bytes and
// others as character references, read back by the reference parser from the
// page as the converter decodes it, with nothing else of the page changed.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "audit/csv.h"
#include "audit/page_audit.h"
#include "audit_run.h"
#include "tests/html/page_test_support.h"

namespace {

namespace fs = std::filesystem;
using pages::Encoding;

struct EncodedPage {
  const char* label;    // in the page's <meta>
  const char* charset;  // the C library's name, to make and read the page with
  Encoding encoding;
  std::string text;     // characters of the encoding's script
  std::string foreign;  // a character it lacks, or none
};

void PrintTo(const EncodedPage& p, std::ostream* out) { *out << p.label; }

const std::vector<EncodedPage> kPages = {
    {"windows-1250", "WINDOWS-1250", Encoding::Windows1250, "Příliš žluťoučký kůň", "日"},
    {"cp1251", "WINDOWS-1251", Encoding::Windows1251, "Карта сайта", "日"},
    {"windows-1252", "WINDOWS-1252", Encoding::Windows1252, "Crème brûlée €", "Ж"},
    {"windows-1253", "WINDOWS-1253", Encoding::Windows1253, "Χάρτης ιστότοπου", "日"},
    {"iso-8859-9", "WINDOWS-1254", Encoding::Windows1254, "Site haritası ğüş İ", "日"},
    {"windows-1255", "WINDOWS-1255", Encoding::Windows1255, "מפת האתר", "日"},
    {"windows-1256", "WINDOWS-1256", Encoding::Windows1256, "خريطة الموقع", "日"},
    {"windows-1257", "WINDOWS-1257", Encoding::Windows1257, "Svetainės žemėlapis", "日"},
    {"windows-1258", "WINDOWS-1258", Encoding::Windows1258, "Đông Ơn ư", "日"},
    {"iso-8859-2", "ISO-8859-2", Encoding::Iso8859_2, "Zażółć gęślą jaźń", "日"},
    {"iso-8859-3", "ISO-8859-3", Encoding::Iso8859_3, "Ħaġar ċar", "日"},
    {"iso-8859-4", "ISO-8859-4", Encoding::Iso8859_4, "Ķīlis ņ ŗ", "日"},
    {"iso-8859-5", "ISO-8859-5", Encoding::Iso8859_5, "Карта сайта", "日"},
    {"iso-8859-6", "ISO-8859-6", Encoding::Iso8859_6, "خريطة الموقع", "日"},
    {"iso-8859-7", "ISO-8859-7", Encoding::Iso8859_7, "Χάρτης ιστότοπου", "日"},
    {"iso-8859-8", "ISO-8859-8", Encoding::Iso8859_8, "מפת האתר", "日"},
    {"iso-8859-8-i", "ISO-8859-8", Encoding::Iso8859_8I, "מפת האתר", "日"},
    {"iso-8859-10", "ISO-8859-10", Encoding::Iso8859_10, "Þórður ŋ ŧ", "日"},
    {"iso-8859-13", "ISO-8859-13", Encoding::Iso8859_13, "Svetainės žemėlapis", "日"},
    {"iso-8859-14", "ISO-8859-14", Encoding::Iso8859_14, "Ŵyddfa ŷ ẁ", "日"},
    {"iso-8859-15", "ISO-8859-15", Encoding::Iso8859_15, "Œuvre € Ÿ", "日"},
    {"iso-8859-16", "ISO-8859-16", Encoding::Iso8859_16, "Știință ț", "日"},
    {"koi8-r", "KOI8-R", Encoding::Koi8R, "Карта сайта", "日"},
    {"koi8-u", "KOI8-U", Encoding::Koi8U, "Мапа сайту ґ і", "日"},
    {"ibm866", "IBM866", Encoding::Ibm866, "Карта сайта", "日"},
    {"macintosh", "MACINTOSH", Encoding::Macintosh, "Crème brûlée ™", "日"},
    {"x-mac-cyrillic", "MAC-CYRILLIC", Encoding::XMacCyrillic, "Карта сайта", "日"},
    {"windows-874", "CP874", Encoding::Windows874, "แผนผังเว็บไซต์", "日"},
    {"big5", "BIG5", Encoding::Big5, "網站地圖 功能許可 ／€", "😀"},
    {"big5-hkscs", "BIG5-HKSCS", Encoding::Big5, "香港 嘅 乚", "😀"},
    {"gb2312", "GBK", Encoding::Gbk, "网站地图 中文", "😀"},
    {"gb18030", "GB18030", Encoding::Gb18030, "网站地图 中文 😀", ""},
    {"shift_jis", "CP932", Encoding::ShiftJis, "サイトマップ 表示 ソフト 能力 ~\\", "😀"},
    {"euc-jp", "EUC-JP", Encoding::EucJp, "サイトマップ 表示", "😀"},
    {"iso-2022-jp", "ISO-2022-JP", Encoding::Iso2022Jp, "サイトマップ 表示", "😀"},
    {"euc-kr", "CP949", Encoding::EucKr, "사이트 지도", "😀"},
    {"utf-16le", "UTF-16LE", Encoding::Utf16Le, "サイトマップ Карта 😀", ""},
    {"utf-16be", "UTF-16BE", Encoding::Utf16Be, "サイトマップ Карта 😀", ""},
};

std::size_t Characters(const std::string& utf8) {
  return static_cast<std::size_t>(std::count_if(utf8.begin(), utf8.end(), [](char c) { return (c & 0xC0) != 0x80; }));
}

// The page in UTF-8: an area with a text, one without (line 5, after twice
// the text and a space) and one with a blank text (line 6).
std::string PageText(const EncodedPage& p) {
  const std::string& t = p.text;
  return "<html><head><meta http-equiv=\"Content-Type\" content=\"text/html; charset=" + std::string(p.label) +
         "\"><title>" + t + "</title></head>\r\n"
         "<body><p>" + t + "</p>\r\n"
         "<map name=\"" + t + "\">\r\n" +
         t + " <area href=\"" + t + ".htm\" alt=\"" + t + "\">\r\n" +
         t + t + " <area shape=rect href=\"" + t + "/2.htm\">\r\n"
         "<area href='" + t + "/3.htm' alt=' '>\r\n"
         "</map></body></html>\r\n";
}

bool IsUtf16(Encoding e) { return e == Encoding::Utf16Le || e == Encoding::Utf16Be; }

std::string PageBytes(const EncodedPage& p) {
  const std::string bytes = ConvertFromUtf8(PageText(p), p.charset);
  if (!IsUtf16(p.encoding)) return bytes;
  return (p.encoding == Encoding::Utf16Le ? "\xFF\xFE" : "\xFE\xFF") + bytes;
}

std::string Utf8Of(const EncodedPage& p, const std::string& bytes) {
  return ConvertToUtf8(IsUtf16(p.encoding) ? bytes.substr(2) : bytes, p.charset);
}

// Where the bytes of the area tag `index` lie in the page, found by its
// text made into bytes on its own.
std::pair<std::size_t, std::size_t> TagBytes(const EncodedPage& p, const std::string& bytes, std::size_t index) {
  const std::string utf8 = Utf8Of(p, bytes);
  const ReferenceTag tag = ReferenceAreaTags(utf8).at(index);
  const std::string tagBytes = ConvertFromUtf8(utf8.substr(tag.begin, tag.end - tag.begin), p.charset);
  const std::size_t at = bytes.find(tagBytes);
  EXPECT_NE(at, std::string::npos) << p.label << " area " << index;
  return {at, at + tagBytes.size()};
}

class EachEncoding : public testing::TestWithParam<EncodedPage> {};

TEST_P(EachEncoding, AreasAreFoundWithTheirTextsLinesAndColumns) {
  const EncodedPage& p = GetParam();
  ScratchFolder web;
  const std::string path = web.Write("page.htm", PageBytes(p));
  const pages::Page page(path);
  ASSERT_EQ(page.encoding(), p.encoding);
  EXPECT_EQ(OurAreas(page), ReferenceAreas(PageText(p)));

  const auto audit = audit::AuditPage(page.markup(), page.markupEncoding(), {});
  ASSERT_EQ(audit.findings.size(), 2u);
  const auto& missing = audit.findings[0];
  EXPECT_EQ(missing.rule, audit::Rule::MissingAlt);
  EXPECT_EQ(missing.line, 5u);
  EXPECT_EQ(missing.column, 2 * Characters(p.text) + 2);
  EXPECT_EQ(missing.map, p.text);
  EXPECT_EQ(missing.href, p.text + "/2.htm");
  const auto& blank = audit.findings[1];
  EXPECT_EQ(blank.rule, audit::Rule::EmptyAlt);
  EXPECT_EQ(std::make_pair(blank.line, blank.column), std::make_pair(std::size_t{6}, std::size_t{1}));
  EXPECT_EQ(blank.href, p.text + "/3.htm");
}

TEST_P(EachEncoding, TheToDoListWritesTextsInThePagesOwnBytes) {
  const EncodedPage& p = GetParam();
  ScratchFolder web, lists;
  const std::string before = PageBytes(p);
  const std::string path = web.Write("page.htm", before);
  const std::string todo = (lists.path() / "todo.csv").string();
  ASSERT_EQ(RunAuditOn({"--todo", todo, web.path().string()}).status, 1);

  std::vector<audit::CsvRow> rows = audit::ParseCsv(ReadBytes(todo));
  ASSERT_EQ(rows.size(), 3u);
  const audit::CsvRow& header = rows[0];
  const auto column = [&](const char* name) {
    return static_cast<std::size_t>(std::find(header.begin(), header.end(), name) - header.begin());
  };
  EXPECT_EQ(rows[1][column("href")], p.text + "/2.htm") << "the list holds the decoded text in UTF-8";
  EXPECT_EQ(rows[1][column("map")], p.text);
  EXPECT_EQ(rows[1][column("column")], std::to_string(2 * Characters(p.text) + 2));
  const std::string withForeign = p.text + " " + p.foreign;
  rows[1][column("new_alt")] = withForeign;
  rows[2][column("new_alt")] = p.text;
  std::string filled;
  for (const auto& row : rows) filled += audit::CsvRecord(row);
  lists.Write("todo.csv", filled);
  const AuditRun applied = RunAuditOn({"--apply", todo, web.path().string()});
  ASSERT_EQ(applied.status, 0) << applied.err;

  const std::string after = ReadBytes(path);
  EXPECT_EQ(after.substr(0, 2), before.substr(0, 2)) << "a byte-order mark stays";
  const std::string afterUtf8 = Utf8Of(p, after);
  const std::vector<ReferenceArea> expected = {
      {p.text + ".htm", p.text}, {p.text + "/2.htm", withForeign}, {p.text + "/3.htm", p.text}};
  EXPECT_EQ(ReferenceAreas(afterUtf8), expected);
  // The script's characters are written as bytes, only the foreign one as a
  // reference.
  const std::size_t references = afterUtf8.find("&#") == std::string::npos ? 0 : 1;
  EXPECT_EQ(references, p.foreign.empty() ? 0u : 1u) << afterUtf8;

  // Nothing changed before the first edited tag nor after the last.
  const auto first = TagBytes(p, before, 1), last = TagBytes(p, before, 2);
  const auto prefix = std::mismatch(before.begin(), before.end(), after.begin(), after.end()).first - before.begin();
  const auto suffix = std::mismatch(before.rbegin(), before.rend(), after.rbegin(), after.rend()).first - before.rbegin();
  EXPECT_GE(static_cast<std::size_t>(prefix), first.first);
  EXPECT_LE(before.size() - static_cast<std::size_t>(suffix), last.second);
  // And between the two, the text is as it was.
  const std::string beforeUtf8 = PageText(p);
  const auto oldTags = ReferenceAreaTags(beforeUtf8), newTags = ReferenceAreaTags(afterUtf8);
  EXPECT_EQ(beforeUtf8.substr(oldTags[1].end, oldTags[2].begin - oldTags[1].end),
            afterUtf8.substr(newTags[1].end, newTags[2].begin - newTags[1].end));

  // Read again, the page needs nothing more.
  const pages::Page reread(path);
  EXPECT_EQ(reread.encoding(), p.encoding);
  EXPECT_EQ(OurAreas(reread), expected);
}

std::string Named(const testing::TestParamInfo<EncodedPage>& info) {
  std::string name = info.param.label;
  std::replace_if(name.begin(), name.end(), [](char c) { return !std::isalnum(static_cast<unsigned char>(c)); }, '_');
  return name;
}

INSTANTIATE_TEST_SUITE_P(Pages, EachEncoding, testing::ValuesIn(kPages), Named);

}  // namespace
