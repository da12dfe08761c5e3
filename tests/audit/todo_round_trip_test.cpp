// The to-do list written, filled in as an author would, and taken back:
// texts with commas, quotes, line breaks and non-ASCII characters arrive
// byte for byte in both encodings, and a page that changed in between is
// left alone; cells a spreadsheet would run come back exactly, the list
// never lands on a page, and a list that lies or is hostile is refused in
// memory bounded by its size.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>

#ifndef _WIN32
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

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

  // Run again, as after a run that was cut short: the pages written then are
  // not taken for pages that changed.
  const AuditRun rerun = RunAuditOn({"--apply", filled, web.path().string()});
  EXPECT_EQ(rerun.status, 1);
  EXPECT_EQ(rerun.out, "a.htm: already written: its areas carry the list's texts\n"
                       "sub/b.htm: already written: its areas carry the list's texts\n"
                       "Wrote 0 alt texts to 0 pages; 2 pages already written; 1 page refused\n");
  const AuditRun sheetAgain = RunAuditOn({"--apply", (lists.path() / "sheet.csv").string(), again.path().string()});
  EXPECT_EQ(sheetAgain.status, 0) << sheetAgain.err;
  EXPECT_EQ(sheetAgain.out.substr(sheetAgain.out.rfind("Wrote")),
            "Wrote 0 alt texts to 0 pages; 3 pages already written; 0 pages refused\n");
  EXPECT_EQ(ReadBytes((again.path() / "a.htm").string()), k1252Written);
}

TEST(TodoList, RefusesRowsThatNoLongerFitTheirPage) {
  ScratchFolder web, lists;
  web.Write("p.htm", kChangedPage);
  const std::string sha = audit::Sha256Hex(kChangedPage);
  std::string upperSha = sha;
  for (char& c : upperSha) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  const std::string header = "path,area,href,new_alt,sha256\r\n";
  const std::string nul("\0", 1);
  const struct {
    std::string rows;
    std::string err;
    int status = 1;
    std::string page = kChangedPage;  // as it is afterwards
    std::vector<std::string> options = {};
  } cases[] = {
      {"p.htm,0,other.htm,T," + sha, "p.htm: refused, nothing written: area 0 links to \"c.htm\", the list says \"other.htm\"\n"},
      {"p.htm,1,c.htm,T," + sha, "p.htm: refused, nothing written: row 2 of the list names no area of it: \"1\"\n"},
      {"p.htm,x,c.htm,T," + sha, "p.htm: refused, nothing written: row 2 of the list names no area of it: \"x\"\n"},
      {"p.htm,0,c.htm,T,", "p.htm: refused, nothing written: row 2 of the list has no sha256: make the list again with --todo\n"},
      {"../p.htm,0,c.htm,T," + sha, "../p.htm: refused, nothing written: the path leads out of the web\n"},
      {"q.htm,0,c.htm,T," + sha, "q.htm: refused, nothing written: Cannot read the page \"" + web.path().string() +
                                     "/q.htm\": no such file\n"},
      {"p.htm,0,c.htm,T," + sha + "\r\np.htm,0,other.htm,U," + sha,
       "p.htm: refused, nothing written: rows 2 and 3 of the list give area 0 different texts\n"},
      {"p.htm,0,c.htm,T," + sha + "\r\np.htm,00,c.htm,U," + sha + "\r\np.htm,0,c.htm,T," + sha,
       "p.htm: refused, nothing written: rows 2 and 3 of the list give area 0 different texts\n"},
      {"p.htm,0,c.htm,T," + sha + "\r\np.htm,0,c.htm,T," + sha, "", 0, "<map><area href=c.htm alt=\"T\"></map>"},
      {"p.htm,0,c.htm,\"a" + nul + "b\"," + sha,
       "p.htm: refused, nothing written: row 2 of the list: its new_alt holds the control character U+0000\n"},
      {"p.htm,0,c.htm,\x1B[2J," + sha,
       "p.htm: refused, nothing written: row 2 of the list: its new_alt holds the control character U+001B\n"},
      {"p.htm,0,c.htm,a\x7F," + sha,
       "p.htm: refused, nothing written: row 2 of the list: its new_alt holds the control character U+007F\n"},
      {"p.htm,0,c.htm,a\xC2\x85," + sha,
       "p.htm: refused, nothing written: row 2 of the list: its new_alt holds the control character U+0085\n"},
      {"p.htm,0,c.htm,\"a\tb\rc\r\nd\"," + sha, "", 0, "<map><area href=c.htm alt=\"a\tb\nc\nd\"></map>"},
      {"p.htm,0,c.htm,T," + upperSha, "", 0, "<map><area href=c.htm alt=\"T\"></map>"},  // as Get-FileHash prints it
      {"p.htm" + nul + "x,0,c.htm,T," + sha, "row 2 of the list: refused, nothing written: its path holds a NUL character\n"},
      {"p.htm,0,c.htm,\" \t \"," + sha, "p.htm: row 2 of the list skipped: its new_alt is only white space\n", 0},
      {"p.htm,0,c.htm,Caf\xE9," + sha, "", 0, "<map><area href=c.htm alt=\"Caf&#233;\"></map>",
       {"--list-encoding", "windows-1252"}},
      {"p.htm,0,c.htm,Caf\xC3\xA9," + sha,
       "mapnote-audit: " + (lists.path() / "list.csv").string() +
           ": the list is in UTF-8, not windows-1252: leave out --list-encoding\n",
       2, kChangedPage, {"--list-encoding", "windows-1252"}},
  };
  for (const auto& c : cases) {
    web.Write("p.htm", kChangedPage);
    lists.Write("list.csv", header + c.rows + "\r\n");
    std::vector<std::string> args = c.options;
    args.insert(args.end(), {"--apply", (lists.path() / "list.csv").string(), web.path().string()});
    const AuditRun run = RunAuditOn(args);
    EXPECT_EQ(run.status, c.status) << c.rows;
    EXPECT_EQ(run.err, c.err) << c.rows;
    EXPECT_EQ(ReadBytes((web.path() / "p.htm").string()), c.page) << c.rows;
  }
  web.Write("p.htm", kChangedPage);

  // As Excel saves it where the comma is the decimal mark.
  lists.Write("list.csv", "path;area;href;new_alt;sha256\r\np.htm;0;c.htm;\"A; b\";" + sha + "\r\n");
  const AuditRun semicolons = RunAuditOn({"--apply", (lists.path() / "list.csv").string(), web.path().string()});
  EXPECT_EQ(semicolons.status, 0) << semicolons.err;
  EXPECT_EQ(ReadBytes((web.path() / "p.htm").string()), "<map><area href=c.htm alt=\"A; b\"></map>");
  web.Write("p.htm", kChangedPage);

  const struct {
    std::string list;
    std::string err;
  } unusable[] = {
      {"path,area,href,sha256\r\np.htm,0,c.htm," + sha, "the list has no column \"new_alt\"\n"},
      {"", "the list is empty\n"},
      {header + "\"p.htm,0", "line 2 of the list: a quoted field is never closed\n"},
      {header + "p.htm,0,c.htm,T," + sha + "\r\np.htm,0,c.htm,Caf\xE9," + sha,
       "row 3 of the list: its new_alt is not UTF-8; save the list as \"CSV UTF-8\", or give --list-encoding windows-1252 "
       "for a list in that encoding\n"},
      {header + "p.htm,0,c.htm,T," + sha + std::string(1000, ','), "line 2 of the list: the record has more than 69 fields\n"},
      {std::string(100000, ','), "line 1 of the list: the record has more than 1024 fields\n"},
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

TEST(TodoList, KeepsCellsFromRunningAsFormulasAndTakesThemBackExactly) {
  ScratchFolder web, lists;
  const std::string page = "<map name=\"@m\"><area href=\"+cmd|' /C calc'!A0\" alt=\"\t\"><area href=\"'q.htm\"></map>";
  fs::create_directories(web.path() / "=sub");
  web.Write("=sub/=1+2.htm", page);
  web.Write("'p.htm", page);
  const std::string todo = (lists.path() / "todo.csv").string();
  ASSERT_EQ(RunAuditOn({"--todo", todo, web.path().string()}).status, 1);
  const std::string sha = audit::Sha256Hex(page);
  const std::string list = ReadBytes(todo);
  EXPECT_EQ(list.substr(list.find("\r\n") + 2),
            "''p.htm,1,16,'@m,0,'+cmd|' /C calc'!A0,'\t,,,," + sha + "\r\n"
            "''p.htm,1,56,'@m,1,''q.htm,,,,," + sha + "\r\n"
            "'=sub/=1+2.htm,1,16,'@m,0,'+cmd|' /C calc'!A0,'\t,,,," + sha + "\r\n"
            "'=sub/=1+2.htm,1,56,'@m,1,''q.htm,,,,," + sha + "\r\n");

  // The author's own texts are taken as typed, a leading ' too.
  std::vector<CsvRow> rows = audit::ParseCsv(list);
  for (std::size_t r = 1; r < rows.size(); ++r) rows[r][7] = rows[r][4] == "0" ? "=A1" : "'kept";
  std::string filled;
  for (const CsvRow& row : rows) filled += audit::CsvRecord(row);
  lists.Write("todo.csv", filled);
  const AuditRun applied = RunAuditOn({"--apply", todo, web.path().string()});
  EXPECT_EQ(applied.status, 0) << applied.err;
  const std::string written =
      "<map name=\"@m\"><area href=\"+cmd|' /C calc'!A0\" alt=\"=A1\"><area href=\"'q.htm\" alt=\"'kept\"></map>";
  EXPECT_EQ(ReadBytes((web.path() / "=sub/=1+2.htm").string()), written);
  EXPECT_EQ(ReadBytes((web.path() / "'p.htm").string()), written);
}

TEST(TodoList, ReportIsNeverWrittenOverAFileOfTheAuthors) {
  ScratchFolder web, reports;
  web.Write("index.htm", kChangedPage);
  reports.Write("notes.html", "<p>mine</p>");
  const struct {
    std::string file;
    int status;
  } cases[] = {
      {(web.path() / "index.htm").string(), 2},
      {(reports.path() / "notes.html").string(), 2},
      {(reports.path() / "report.html").string(), 1},
      {(reports.path() / "report.html").string(), 1},  // its own report again
  };
  for (const auto& c : cases) {
    const std::string before = fs::exists(c.file) ? ReadBytes(c.file) : "";
    const AuditRun run = RunAuditOn({"--report", c.file, web.path().string()});
    EXPECT_EQ(run.status, c.status) << c.file;
    if (c.status == 2) {
      EXPECT_EQ(run.err, "mapnote-audit: Cannot write the report \"" + c.file +
                             "\": the file is there and is no report of mapnote-audit; name another file\n");
      EXPECT_EQ(ReadBytes(c.file), before);
    }
  }
}

TEST(TodoList, IsNeverWrittenOverAPageOrAFileOfTheAuthors) {
  ScratchFolder web, lists;
  web.Write("index.htm", kChangedPage);
  const std::string earlier = "path,line,column,map,area,href,alt,new_alt,sha256\r\n";
  lists.Write("notes.csv", "my,own\r\nnotes\r\n");
  lists.Write("earlier.csv", earlier + "p.htm,1,6,,0,c.htm,,,x\r\n");
  lists.Write("typed.csv", earlier + "p.htm,1,6,,0,c.htm,,Typed in,x\r\n");
  lists.Write("resaved.csv", "\xEF\xBB\xBFpath;line;column;map;area;href;alt;new_alt;sha256;mine\r\n");
  fs::create_symlink(web.path() / "index.htm", lists.path() / "link.csv");
  const std::string cannot = "mapnote-audit: Cannot save the list \"";
  const struct {
    std::vector<std::string> options;
    std::string list;  // in `lists`, or a path
    int status;
    std::string err;
  } cases[] = {
      {{}, (web.path() / "index.htm").string(), 2, "\": that is the name of a page; name the list .csv\n"},
      {{"--force"}, (web.path() / "index.htm").string(), 2, "\": that is the name of a page; name the list .csv\n"},
      {{}, (web.path() / "new.HTML").string(), 2, "\": that is the name of a page; name the list .csv\n"},
      {{"--force"}, "link.csv", 2, "\": that is the name of a page; name the list .csv\n"},
      {{}, "notes.csv", 2,
       "\": the file is there and is no to-do list (its first line is not the list's header); give --force to overwrite it\n"},
      {{"--force"}, "notes.csv", 1, ""},
      {{}, "typed.csv", 2, "\": it holds texts typed into its new_alt column; give --force to overwrite it\n"},
      {{"--force"}, "typed.csv", 1, ""},
      {{}, "earlier.csv", 1, ""},
      {{}, "resaved.csv", 1, ""},
      {{}, "none/todo.csv", 2, "\": its folder does not exist\n"},
  };
  for (const auto& c : cases) {
    const std::string list = c.list.starts_with("/") ? c.list : (lists.path() / c.list).string();
    std::vector<std::string> args = {"--todo", list};
    args.insert(args.end(), c.options.begin(), c.options.end());
    args.push_back(web.path().string());
    const AuditRun run = RunAuditOn(args);
    EXPECT_EQ(run.status, c.status) << c.list;
    EXPECT_EQ(run.err, c.err.empty() ? "" : cannot + list + c.err) << c.list;
    if (c.status == 1) {
      EXPECT_TRUE(ReadBytes(list).starts_with("path,line,column,map,area,href,alt,new_alt,")) << c.list;
    }
  }
  EXPECT_EQ(ReadBytes((web.path() / "index.htm").string()), kChangedPage);
  EXPECT_FALSE(fs::exists(web.path() / "new.HTML"));
}

#ifndef _WIN32
// The address space a process has taken so far.
std::size_t AddressSpace() {
  std::ifstream statm("/proc/self/statm");
  std::size_t pages = 0;
  statm >> pages;
  return pages * static_cast<std::size_t>(sysconf(_SC_PAGESIZE));
}

TEST(TodoList, HostileListsTakeMemoryInProportion) {
#ifdef __SANITIZE_ADDRESS__
  GTEST_SKIP() << "the address sanitizer reserves more address space than the bound checked here";
#endif
  ScratchFolder web, lists;
  web.Write("p.htm", kChangedPage);
  const std::size_t size = 8 << 20;
  const std::string header = "path,area,href,new_alt,sha256\n";
  std::string rows, unfitRows;
  while (rows.size() < size) rows += "p,0,h,x," + audit::Sha256Hex(kChangedPage) + "\n";
  while (unfitRows.size() < size) unfitRows += "p,0,h,x,s\n";
  const struct {
    const char* shape;
    std::string list;
    int status;
  } cases[] = {
      {"commas", header + std::string(size, ','), 2},
      {"blank lines", header + std::string(size, '\n'), 0},
      {"rows", header + rows, 1},
      {"rows without a sha256", header + unfitRows, 1},
      {"quoted quotes", header + "p,0,h,\"" + std::string(size, '"') + "\",s\n", 1},
  };
  for (const auto& c : cases) {
    lists.Write("list.csv", c.list);
    // Room for the list four times over; the lists above once took 30 to 60
    // times their size.
    const std::size_t limit = AddressSpace() + 4 * c.list.size() + (64 << 20);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      const rlimit bound{limit, limit};
      setrlimit(RLIMIT_AS, &bound);
      try {
        _exit(RunAuditOn({"--apply", (lists.path() / "list.csv").string(), web.path().string()}).status);
      } catch (const std::bad_alloc&) {
        _exit(100);
      }
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status)) << c.shape;
    EXPECT_EQ(WEXITSTATUS(status), c.status) << c.shape;
  }
  EXPECT_EQ(ReadBytes((web.path() / "p.htm").string()), kChangedPage);
}
#endif
