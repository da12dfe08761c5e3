// The to-do list written, filled in as an author would, and taken back:
// texts with commas, quotes, line breaks and non-ASCII characters arrive
// byte for byte in both encodings, and a page that changed in between is
// left alone.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>

#include "audit/csv.h"
#include "audit/sha256.h"
#include "audit_run.h"
#include "tests/html/page_test_support.h"

namespace {

namespace fs = std::filesystem;
using audit::CsvRow;

const std::string k1252Page =
    "<html><head><meta http-equiv=\"Content-Type\" content=\"text/html; charset=windows-1252\"></head>\r\n"
    "<body><p>Caf\xE9</p>\r\n<map name=\"nav\">\r\n"
    "<area shape=rect coords=\"0,0,10,10\" href=\"a,&quot;b&quot;.htm\">\r\n"
    "<area href='caf\xE9.htm' alt='\r\n '>\r\n"
    "<area href=ok.htm alt=Fine>\r\n</map></body></html>\r\n";
const std::string k1252Written =
    "<html><head><meta http-equiv=\"Content-Type\" content=\"text/html; charset=windows-1252\"></head>\r\n"
    "<body><p>Caf\xE9</p>\r\n<map name=\"nav\">\r\n"
    "<area shape=rect coords=\"0,0,10,10\" href=\"a,&quot;b&quot;.htm\" alt=\"Our breads, &quot;fresh&quot;\n"
    "since 1999 &#9731; \x80\">\r\n"
    "<area href='caf\xE9.htm' alt='l&#39;\xE9t\xE9'>\r\n"
    "<area href=ok.htm alt=Fine>\r\n</map></body></html>\r\n";
const std::string kUtf8Page =
    "<!DOCTYPE html><meta charset=\"utf-8\">\n<map name=\"m\xC3\xA9\">\n<area href=\"x.htm\" alt=\"\">\n"
    "<area href=\"y.htm\" alt>\n<area href=\"z.htm\">\n</map>\n";
const std::string kUtf8Written =
    "<!DOCTYPE html><meta charset=\"utf-8\">\n<map name=\"m\xC3\xA9\">\n<area href=\"x.htm\" alt=\"Zo\xC3\xAB &amp; co\">\n"
    "<area href=\"y.htm\" alt=\"\xC5\xB8\">\n<area href=\"z.htm\">\n</map>\n";
const std::string kChangedPage = "<map><area href=c.htm></map>";

// The new texts an author types, by page and area.
const std::map<std::pair<std::string, std::string>, std::string> kNewAlts = {
    {{"a.htm", "0"}, "Our breads, \"fresh\"\nsince 1999 \xE2\x98\x83 \xE2\x82\xAC"},
    {{"a.htm", "1"}, "l'\xC3\xA9t\xC3\xA9"},
    {{"sub/b.htm", "0"}, "Zo\xC3\xAB & co"},
    {{"sub/b.htm", "1"}, "\xC5\xB8"},
    {{"c.htm", "0"}, "Changed"},
};

void MakeWeb(const ScratchFolder& web) {
  fs::create_directories(web.path() / "sub");
  web.Write("a.htm", k1252Page);
  web.Write("sub/b.htm", kUtf8Page);
  web.Write("c.htm", kChangedPage);
}

// The list with the author's texts filled in, written with `lineEnd`; with
// `reorder`, the columns reversed and one of the author's own added.
std::string FilledIn(const std::vector<CsvRow>& rows, const std::string& prefix, const std::string& lineEnd,
                     bool reorder) {
  const auto column = [&](const char* name) {
    return static_cast<std::size_t>(std::find(rows[0].begin(), rows[0].end(), name) - rows[0].begin());
  };
  std::string out = prefix;
  for (std::size_t r = 0; r < rows.size(); ++r) {
    CsvRow row = rows[r];
    if (r > 0) {
      const auto it = kNewAlts.find({row[column("path")], row[column("area")]});
      if (it != kNewAlts.end()) row[column("new_alt")] = it->second;
    }
    if (reorder) {
      std::reverse(row.begin(), row.end());
      row.push_back(r == 0 ? "checked by" : "me, \"I\"");
    }
    std::string record = audit::CsvRecord(row);
    record.replace(record.size() - 2, 2, lineEnd);
    out += record;
  }
  return out;
}

TEST(TodoList, RoundTripsTheAuthorsTextsIntoThePages) {
  ScratchFolder web, lists;
  MakeWeb(web);
  const std::string todo = (lists.path() / "todo.csv").string();
  const AuditRun made = RunAuditOn({"--todo", todo, web.path().string()});
  ASSERT_EQ(made.status, 1) << made.err;
  EXPECT_EQ(made.out, "3 pages, 7 areas: 3 missing-alt, 3 empty-alt, 0 alt-without-href; to-do list " + todo +
                          ": 6 rows\n");

  const std::string list = ReadBytes(todo);
  EXPECT_EQ(list.substr(0, list.find("\r\n", list.find("\r\n") + 2) + 2),
            "path,line,column,map,area,href,alt,new_alt,suggested_alt,suggested_from,sha256\r\n"
            "a.htm,4,1,nav,0,\"a,\"\"b\"\".htm\",,,,," + audit::Sha256Hex(k1252Page) + "\r\n");
  const std::vector<CsvRow> rows = audit::ParseCsv(list);
  ASSERT_EQ(rows.size(), 7u);
  EXPECT_EQ(rows[2], (CsvRow{"a.htm", "5", "1", "nav", "1", "caf\xC3\xA9.htm", "\n ", "", "", "", audit::Sha256Hex(k1252Page)}));
  EXPECT_EQ((CsvRow{rows[5][0], rows[5][4], rows[5][6]}), (CsvRow{"sub/b.htm", "1", ""}));  // a bare alt reads as empty

  web.Write("c.htm", kChangedPage + " ");
  const std::string filled = (lists.path() / "filled.csv").string();
  lists.Write("filled.csv", FilledIn(rows, "", "\r\n", false));
  const AuditRun applied = RunAuditOn({"--apply", filled, web.path().string()});
  EXPECT_EQ(applied.status, 1);
  EXPECT_EQ(applied.out, "a.htm: wrote 2 alt texts\nsub/b.htm: wrote 2 alt texts\n"
                         "Wrote 4 alt texts to 2 pages; 1 page refused\n");
  EXPECT_EQ(applied.err, "c.htm: refused, nothing written: the page has changed since the list was made (its sha256 differs)\n");
  EXPECT_EQ(ReadBytes((web.path() / "a.htm").string()), k1252Written);
  EXPECT_EQ(ReadBytes((web.path() / "sub/b.htm").string()), kUtf8Written);
  EXPECT_EQ(ReadBytes((web.path() / "c.htm").string()), kChangedPage + " ");
  EXPECT_EQ(lists.FileNames(), (std::vector<std::string>{"filled.csv", "todo.csv"}));

  // As a spreadsheet saves it: a byte-order mark, LF, other column order, a column of its own.
  ScratchFolder again;
  MakeWeb(again);
  lists.Write("sheet.csv", FilledIn(rows, "\xEF\xBB\xBF", "\n", true));
  const AuditRun sheet = RunAuditOn({"--apply", (lists.path() / "sheet.csv").string(), again.path().string()});
  EXPECT_EQ(sheet.status, 0) << sheet.err;
  EXPECT_EQ(ReadBytes((again.path() / "a.htm").string()), k1252Written);
  EXPECT_EQ(ReadBytes((again.path() / "sub/b.htm").string()), kUtf8Written);
  EXPECT_EQ(ReadBytes((again.path() / "c.htm").string()), "<map><area href=c.htm alt=\"Changed\"></map>");
}

TEST(TodoList, RefusesRowsThatNoLongerFitTheirPage) {
  ScratchFolder web, lists;
  web.Write("p.htm", kChangedPage);
  const std::string sha = audit::Sha256Hex(kChangedPage);
  const std::string header = "path,area,href,new_alt,sha256\r\n";
  const struct {
    std::string rows;
    std::string err;
  } cases[] = {
      {"p.htm,0,other.htm,T," + sha, "p.htm: refused, nothing written: area 0 links to \"c.htm\", the list says \"other.htm\"\n"},
      {"p.htm,1,c.htm,T," + sha, "p.htm: refused, nothing written: row 2 of the list names no area of it: \"1\"\n"},
      {"p.htm,x,c.htm,T," + sha, "p.htm: refused, nothing written: row 2 of the list names no area of it: \"x\"\n"},
      {"p.htm,0,c.htm,T,", "p.htm: refused, nothing written: the page has changed since the list was made (its sha256 differs)\n"},
      {"../p.htm,0,c.htm,T," + sha, "../p.htm: refused, nothing written: the path leads out of the web\n"},
      {"q.htm,0,c.htm,T," + sha, "q.htm: refused, nothing written: Cannot read the page \"" + web.path().string() +
                                     "/q.htm\": no such file\n"},
      {"p.htm,0,c.htm,T," + sha + "\r\np.htm,0,other.htm,U," + sha,
       "p.htm: refused, nothing written: area 0 links to \"c.htm\", the list says \"other.htm\"\n"},
  };
  for (const auto& c : cases) {
    lists.Write("list.csv", header + c.rows + "\r\n");
    const AuditRun run = RunAuditOn({"--apply", (lists.path() / "list.csv").string(), web.path().string()});
    EXPECT_EQ(run.status, 1) << c.rows;
    EXPECT_EQ(run.err, c.err) << c.rows;
    EXPECT_EQ(ReadBytes((web.path() / "p.htm").string()), kChangedPage) << c.rows;
  }

  const struct {
    std::string list;
    std::string err;
  } unusable[] = {
      {"path,area,href,sha256\r\np.htm,0,c.htm," + sha, "the list has no column \"new_alt\"\n"},
      {"", "the list is empty\n"},
      {header + "\"p.htm,0", "line 2 of the list: a quoted field is never closed\n"},
  };
  for (const auto& c : unusable) {
    lists.Write("list.csv", c.list);
    const std::string path = (lists.path() / "list.csv").string();
    const AuditRun run = RunAuditOn({"--apply", path, web.path().string()});
    EXPECT_EQ(run.status, 2) << c.list;
    EXPECT_EQ(run.err, "mapnote-audit: " + path + ": " + c.err) << c.list;
  }
  EXPECT_EQ(RunAuditOn({"--apply", (lists.path() / "none.csv").string(), web.path().string()}).status, 2);
}

TEST(TodoList, AcceptsSuggestionsOnlyWhereAskedAndNoTextWasGiven) {
  const std::string page = "<map><area href=a.htm><area href=b.htm alt=''><area href=c.htm></map>";
  const std::string sha = audit::Sha256Hex(page);
  const std::string list = "path,area,href,new_alt,suggested_alt,suggested_from,sha256\r\n"
                           "p.htm,0,a.htm,Typed,Suggested A,same-link," + sha + "\r\n"
                           "p.htm,1,b.htm,,Suggested B,link-text," + sha + "\r\n"
                           "p.htm,2,c.htm,,,," + sha + "\r\n";
  const struct {
    std::vector<std::string> options;
    std::string out, written;
  } cases[] = {
      {{}, "p.htm: wrote 1 alt text\n", "<map><area href=a.htm alt=\"Typed\"><area href=b.htm alt=''><area href=c.htm></map>"},
      {{"--accept-suggestions"}, "p.htm: wrote 2 alt texts (1 new_alt, 1 suggested_alt)\n",
       "<map><area href=a.htm alt=\"Typed\"><area href=b.htm alt='Suggested B'><area href=c.htm></map>"},
  };
  for (const auto& c : cases) {
    ScratchFolder web, lists;
    web.Write("p.htm", page);
    lists.Write("list.csv", list);
    std::vector<std::string> args = {"--apply", (lists.path() / "list.csv").string()};
    args.insert(args.end(), c.options.begin(), c.options.end());
    args.push_back(web.path().string());
    const AuditRun run = RunAuditOn(args);
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out.substr(0, run.out.find('\n') + 1), c.out);
    EXPECT_EQ(ReadBytes((web.path() / "p.htm").string()), c.written);
  }
  ScratchFolder web, lists;
  web.Write("p.htm", page);
  lists.Write("list.csv", "path,area,href,new_alt,sha256\r\np.htm,1,b.htm,,"+ sha + "\r\n");
  const std::string path = (lists.path() / "list.csv").string();
  const AuditRun run = RunAuditOn({"--apply", path, "--accept-suggestions", web.path().string()});
  EXPECT_EQ(run.status, 2);
  EXPECT_EQ(run.err, "mapnote-audit: " + path + ": the list has no column \"suggested_alt\"\n");
}

}  // namespace
