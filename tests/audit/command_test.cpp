// The command over whole webs: which files are pages, what is printed, and
// the exit status.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <iostream>
#include <set>
#include <sstream>

#include "audit_run.h"
#include "tests/html/page_test_support.h"

namespace {

namespace fs = std::filesystem;

const std::string kBare = "<map name=m><area href=a.htm></map>";

// Writes `bytes` at `relative`, making its folders.
void Put(const ScratchFolder& web, const std::string& relative, const std::string& bytes) {
  fs::create_directories((web.path() / relative).parent_path());
  web.Write(relative, bytes);
}

TEST(AuditCommand, ReadsThePagesOfTheWebAndNothingElse) {
  ScratchFolder web;
  for (const char* page : {"index.htm", "B/Upper.HTML", "b/inc.shtml", "b/c/order.Asp", "a.htm"}) Put(web, page, kBare);
  for (const char* other : {"_vti_cnf/index.htm", "_VTI_PVT/x.htm", ".git/y.html", "b/.hidden/z.htm", "notes.txt",
                            "index.htm.bak", "_vti_inf.html"}) {
    Put(web, other, kBare);
  }
  const AuditRun run = RunAuditOn({web.path().string()});
  EXPECT_EQ(run.status, audit::exit_status::Found);
  EXPECT_EQ(run.out,
            "B/Upper.HTML:1:13: missing-alt: area of map \"m\" linking to \"a.htm\" has no alt text\n"
            "_vti_inf.html:1:13: missing-alt: area of map \"m\" linking to \"a.htm\" has no alt text\n"
            "a.htm:1:13: missing-alt: area of map \"m\" linking to \"a.htm\" has no alt text\n"
            "b/c/order.Asp:1:13: missing-alt: area of map \"m\" linking to \"a.htm\" has no alt text\n"
            "b/inc.shtml:1:13: missing-alt: area of map \"m\" linking to \"a.htm\" has no alt text\n"
            "index.htm:1:13: missing-alt: area of map \"m\" linking to \"a.htm\" has no alt text\n"
            "6 pages, 6 areas: 6 missing-alt, 0 empty-alt, 0 alt-without-href\n");
  EXPECT_EQ(run.err, "");
}

TEST(AuditCommand, ReportsUnreadablePagesAndScansTheOthers) {
  ScratchFolder web;
  Put(web, "good.htm", "<map><area href=a alt=''></map><area alt=x>");
  Put(web, "utf16.htm", "\xFF\xFE<\0m\0");
  Put(web, "kr.htm", "<meta charset=ISO-2022-KR><map><area href=a></map>");
  fs::create_symlink(web.path() / "gone.htm", web.path() / "link.htm");
  const AuditRun run = RunAuditOn({web.path().string()});
  EXPECT_EQ(run.status, audit::exit_status::Incomplete);
  EXPECT_EQ(run.out,
            "good.htm:1:6: empty-alt: area of an unnamed map linking to \"a\" has a blank alt text\n"
            "2 pages, 2 areas: 0 missing-alt, 1 empty-alt, 0 alt-without-href; incomplete: 2 pages unreadable\n");
  const std::string dir = web.path().string();
  EXPECT_EQ(run.err, "mapnote-audit: Cannot read the page \"" + dir + "/kr.htm\": its encoding \"ISO-2022-KR\" is one "
                     "browsers do not read: they show the page as a single replacement character\n"
                     "mapnote-audit: Cannot read the page \"" + dir + "/link.htm\": no such file\n");
}

// A gate that an old web passes: known findings are left out, an edit
// elsewhere on the page keeps them known, a new one fails the run, and one
// fixed is counted as gone.
TEST(AuditCommand, ABaselineLeavesOutTheKnownFindings) {
  ScratchFolder web, lists;
  Put(web, "a.htm", "<p>Old</p>\n<map name=m><area href=x><area href=y alt=''></map>");
  const std::string baseline = (lists.path() / "known.json").string(), dir = web.path().string();
  EXPECT_EQ(RunAuditOn({"--baseline", baseline, "--update-baseline", dir}).out,
            "1 page, 2 areas: 0 missing-alt, 0 empty-alt, 0 alt-without-href; baseline " + baseline + ": 2 findings recorded\n");
  Put(web, "a.htm", "<p>Old</p>\n<p>An edit above the map</p>\n<map name=m><area href=x><area href=y alt=''><area href=z></map>");
  const AuditRun gate = RunAuditOn({"--baseline", baseline, dir});
  EXPECT_EQ(gate.status, 1);
  EXPECT_EQ(gate.out, "a.htm:3:46: missing-alt: area of map \"m\" linking to \"z\" has no alt text\n"
                      "1 page, 3 areas: 1 missing-alt, 0 empty-alt, 0 alt-without-href; baseline: 2 known left out, 0 gone\n");
  Put(web, "a.htm", "<map name=m><area href=x alt=X><area href=y alt=''></map>");
  const AuditRun fixed = RunAuditOn({"--baseline", baseline, "--format", "sarif", dir});
  EXPECT_EQ(fixed.status, 0);
  EXPECT_EQ(fixed.err, "1 page, 2 areas: 0 missing-alt, 0 empty-alt, 0 alt-without-href; baseline: 1 known left out, 1 gone\n");
  EXPECT_EQ(RunAuditOn({"--baseline", baseline, "--format", "sarif", (web.path() / "a.htm").string()}).status, 0);
  Put(web, "a.htm", "<map name=m><area href=w></map>");
  EXPECT_NE(RunAuditOn({"--baseline", baseline, "--format", "sarif", dir}).out.find("\"baselineState\":\"new\""), std::string::npos);
  // Of two webs, a finding is known only in its own, and each web's pages
  // have a base of their own.
  ScratchFolder other;
  Put(other, "a.htm", "<map name=m><area href=x></map>");
  EXPECT_EQ(RunAuditOn({"--baseline", baseline, "--update-baseline", dir, other.path().string()}).status, 0);
  Put(web, "a.htm", "<map name=m><area href=x></map>");
  Put(other, "a.htm", "<map name=m><area href=w></map>");
  const AuditRun swapped = RunAuditOn({"--baseline", baseline, "--format", "sarif", dir, other.path().string()});
  EXPECT_EQ(swapped.status, 1);
  EXPECT_NE(swapped.out.find("\"uriBaseId\":\"WEBROOT2\""), std::string::npos);
  EXPECT_EQ(swapped.err, "2 pages, 2 areas: 2 missing-alt, 0 empty-alt, 0 alt-without-href; baseline: 0 known left out, 2 gone\n");
  lists.Write("known.json", "[1, 2]");
  EXPECT_EQ(RunAuditOn({"--baseline", baseline, dir}).status, 2);
}

// As an editor's or a CI's problem matcher opens them: each page under the
// path given, the web's folder or the page itself, in every message.
TEST(AuditCommand, NamesPagesUnderThePathsGiven) {
  ScratchFolder web;
  Put(web, "a.htm", "<map><area href=x></map>");
  Put(web, "sub/b.php", "<map><area href=y></map>");
  fs::create_hard_link(web.path() / "a.htm", web.path() / "c.htm");
  const std::string dir = web.path().string();
  std::ostringstream out, err;
  EXPECT_EQ(audit::RunAudit({dir + "/", dir + "/sub/b.php"}, out, err, false), 1);
  EXPECT_EQ(out.str(), dir + "/a.htm:1:6: missing-alt: area of an unnamed map linking to \"x\" has no alt text\n" + dir +
                           "/sub/b.php:1:6: missing-alt: area of an unnamed map linking to \"y\" has no alt text\n"
                           "2 pages, 2 areas: 2 missing-alt, 0 empty-alt, 0 alt-without-href; 1 file of other kinds of page "
                           "left out (see --ext)\n");
  EXPECT_EQ(err.str(), "mapnote-audit: " + dir + "/c.htm is the same file as a.htm; audited once\n");
  // The page on standard input, named as the editor names its buffer.
  std::istringstream page("<map><area href=z alt=''></map>");
  auto* const stdinBuffer = std::cin.rdbuf(page.rdbuf());
  std::ostringstream stdinOut, stdinErr;
  EXPECT_EQ(audit::RunAudit({"--stdin-name", dir + "/new.htm", "-"}, stdinOut, stdinErr, false), 1);
  std::cin.rdbuf(stdinBuffer);
  EXPECT_EQ(stdinOut.str(), dir + "/new.htm:1:6: empty-alt: area of an unnamed map linking to \"z\" has a blank alt text\n"
                                  "1 page, 1 area: 0 missing-alt, 1 empty-alt, 0 alt-without-href\n");
  // What the web's settings and --ext, --exclude select.
  Put(web, ".mapnote-audit.json", "{\"ext\": [\"htm\", \"php\"], \"rules\": {\"missing-alt\": \"warning\"}}");
  const AuditRun selected = RunAuditOn({"--exclude", "c.htm", "--exclude", "/sub/", dir});
  EXPECT_EQ(selected.status, 0) << selected.err;
  EXPECT_EQ(selected.out, "a.htm:1:6: missing-alt: area of an unnamed map linking to \"x\" has no alt text\n"
                          "1 page, 1 area: 1 missing-alt, 0 empty-alt, 0 alt-without-href\n");
  EXPECT_EQ(RunAuditOn({"--rule", "missing-alt=error", "--ext", "php", dir}).out.substr(0, 10), "sub/b.php:");
  Put(web, ".mapnote-audit.json", "{\"rules\": {\"missing\": \"off\"}}");
  EXPECT_EQ(RunAuditOn({dir}).err, "mapnote-audit: .mapnote-audit.json: unknown rule \"missing\"\n");
}

const std::string kPoorLines =
    "a.htm:1:6: alt-not-distinct: area of an unnamed map linking to \"a.htm\" has the alt text \"Home\" of areas "
    "linking elsewhere: \"b.htm\"\n"
    "a.htm:1:32: alt-not-distinct: area of an unnamed map linking to \"b.htm\" has the alt text \" home\" of areas "
    "linking elsewhere: \"a.htm\"\n"
    "a.htm:1:61: alt-is-file-name: area of an unnamed map linking to \"c.htm\" has alt text \"c.gif\", which is a file name\n"
    "1 page, 3 areas: 0 missing-alt, 0 empty-alt, 0 alt-without-href; 3 quality warnings (1 alt-is-file-name, "
    "2 alt-not-distinct)\n";

TEST(AuditCommand, ExitStatusSaysWhatWasFound) {
  ScratchFolder clean, empty, unreadable, poor;
  Put(clean, "a.htm", "<map><area href=a alt=A><area></map><area href=b>");
  Put(poor, "a.htm", "<map><area href=a.htm alt=Home><area href=b.htm alt=' home'><area href=c.htm alt=c.gif></map>");
  Put(unreadable, "a.htm", "<meta charset=hz-gb-2312>");
  const struct {
    std::vector<std::string> args;
    int status;
    std::string out, err;
  } cases[] = {
      {{clean.path().string()}, 0, "1 page, 3 areas: 0 missing-alt, 0 empty-alt, 0 alt-without-href\n", ""},
      {{clean.path().string(), (clean.path() / "." / "a.htm").string()}, 0, "1 page, 3 areas: 0 missing-alt, 0 empty-alt, 0 alt-without-href\n", ""},
      {{empty.path().string()}, 2, "0 pages, 0 areas: 0 missing-alt, 0 empty-alt, 0 alt-without-href\n",
       "mapnote-audit: no page could be read under " + empty.path().string() + "\n"},
      {{(empty.path() / "none").string()}, 2,
       "0 pages, 0 areas: 0 missing-alt, 0 empty-alt, 0 alt-without-href; incomplete: 1 folder not listed\n",
       "mapnote-audit: cannot list " + (empty.path() / "none").string() +
           ": No such file or directory\nmapnote-audit: no page could be read under " + (empty.path() / "none").string() +
           "\n"},
      {{}, 2, "", "usage: mapnote-audit [OPTION]... WEB|PAGE|-...\n"
                  "       mapnote-audit --apply FILE.csv [--list-encoding utf-8|windows-1252] [--accept-suggestions] WEB\n"
                  "       mapnote-audit --help | --version\n"},
      {{"--color", "w"}, 2, "", "mapnote-audit: unknown option \"--color\"; see mapnote-audit --help\n"},
      {{"w", "--sarif"}, 2, "", "mapnote-audit: unknown option \"--sarif\"; see mapnote-audit --help\n"},
      {{"--format", "xml", "w"}, 2, "", "mapnote-audit: unknown format \"xml\" (text, json or sarif); see mapnote-audit --help\n"},
      {{"--format", "sarif", "--todo", "t.csv", "w"}, 2, "", "mapnote-audit: --format sarif and --todo cannot be used together;"},
      {{"--json", "--format=sarif", "w"}, 2, "", "mapnote-audit: --json and --format sarif cannot be used together;"},
      {{"--version", "w"}, 0, "mapnote-audit " MAPNOTE_AUDIT_VERSION "\n", ""},
      {{"-V"}, 0, "mapnote-audit " MAPNOTE_AUDIT_VERSION "\n", ""},
      {{poor.path().string()}, 0, "1 page, 3 areas: 0 missing-alt, 0 empty-alt, 0 alt-without-href\n", ""},
      {{"--quality", poor.path().string()}, 0, kPoorLines, ""},
      // Warnings fail a run only beyond --max-warnings; a rule can be made an error, or turned off.
      {{"--quality", "--max-warnings", "2", poor.path().string()}, 1, kPoorLines, ""},
      {{"--quality", "--max-warnings=3", poor.path().string()}, 0, kPoorLines, ""},
      {{"--rule", "alt-is-file-name=error", "--", poor.path().string()}, 1,
       "a.htm:1:61: alt-is-file-name: area of an unnamed map linking to \"c.htm\" has alt text \"c.gif\", which is a file name\n"
       "1 page, 3 areas: 0 missing-alt, 0 empty-alt, 0 alt-without-href; 1 quality warning (1 alt-is-file-name)\n",
       ""},
      {{"--rule=missing-alt=off", (clean.path() / "a.htm").string()}, 0, "1 page, 3 areas: 0 missing-alt, 0 empty-alt, 0 alt-without-href\n", ""},
      {{"--rule", "missing-alt=loud", "w"}, 2, "", "mapnote-audit: --rule missing-alt=loud: give the rule off, warning or error"},
      {{"--rule", "alt=off", "w"}, 2, "", "mapnote-audit: --rule: unknown rule \"alt\""},
      {{"w", "v", "--todo", "t.csv"}, 2, "", "mapnote-audit: --todo takes pages of one web, not of 2 folders;"},
      {{"w", "--todo"}, 2, "", "mapnote-audit: --todo needs a file name; see mapnote-audit --help\n"},
      {{"--json", "--todo", "t.csv", "w"}, 2, "", "mapnote-audit: --json and --todo cannot be used together;"},
      {{"--apply", "t.csv", "--aria", "w"}, 2, "", "mapnote-audit: --apply and --aria cannot be used together;"},
      {{"--apply", "t.csv", "--quality", "w"}, 2, "", "mapnote-audit: --apply and --quality cannot be used together;"},
      {{"--apply", "t.csv", "w", "v"}, 2, "", "mapnote-audit: --apply takes the one web folder its list is of;"},
      // A value left out: no file named after the next option.
      {{"--todo", "--json", "w"}, 2, "",
       "mapnote-audit: --todo takes a value, not \"--json\" (write ./--json for a file of that name)\n"},
      {{"--apply", "-", "w"}, 2, "", "mapnote-audit: --apply takes a value, not \"-\""},
      {{"--apply", "t.csv", "--list-encoding", "latin1", "w"}, 2, "", "mapnote-audit: --list-encoding takes utf-8 or windows-1252, not \"latin1\""},
      {{"--list-encoding", "utf-8", "w"}, 2, "", "mapnote-audit: --list-encoding only goes with --apply;"},
      {{"--force", "w"}, 2, "", "mapnote-audit: --force only goes with --todo;"},
      {{"--todo=t.csv", "--force=yes", "w"}, 2, "", "mapnote-audit: --force takes no value;"},
      {{"--apply", "t.csv", "--report", "r.html", "w"}, 2, "", "mapnote-audit: --apply and --report cannot be used together;"},
      {{"--accept-suggestions", "w"}, 2, "", "mapnote-audit: --accept-suggestions only goes with --apply;"},
      {{"--update-baseline", "w"}, 2, "", "mapnote-audit: --update-baseline needs --baseline FILE;"},
      {{"--stdin-name", "a.htm", "w"}, 2, "", "mapnote-audit: --stdin-name only goes with - (a page on standard input);"},
      {{"--aria"}, 2, "", "mapnote-audit: no web given: name a web folder, a page, or - for standard input;"},
  };
  for (const auto& c : cases) {
    const AuditRun run = RunAuditOn(c.args);
    EXPECT_EQ(run.status, c.status) << testing::PrintToString(c.args);
    EXPECT_EQ(run.out, c.out) << testing::PrintToString(c.args);
    EXPECT_EQ(run.err.substr(0, c.err.size()), c.err) << testing::PrintToString(c.args);
  }
  EXPECT_EQ(RunAuditOn({unreadable.path().string()}).status, 2);
}

// Every option --help lists is one the command takes, and every option of
// the usage is listed.
TEST(AuditCommand, HelpListsTheOptionsItTakes) {
  const AuditRun help = RunAuditOn({"--help"});
  EXPECT_EQ(help.status, 0);
  EXPECT_EQ(help.err, "");
  std::istringstream lines(help.out);
  std::set<std::string> listed, inUsage;
  for (std::string line; std::getline(lines, line);) {
    if (line.starts_with("  --")) {
      listed.insert(line.substr(2, line.find(' ', 2) - 2));
    } else if (line.find("mapnote-audit ") != std::string::npos) {
      for (std::size_t at = line.find("--"); at != std::string::npos; at = line.find("--", at + 2)) {
        inUsage.insert(line.substr(at, line.find_first_of(" ]", at) - at));
      }
    }
  }
  for (const std::string& option : inUsage) EXPECT_TRUE(listed.count(option)) << option << " is not listed";
  EXPECT_TRUE(listed.count("--format") && listed.count("--version")) << help.out;
  for (const std::string& option : listed) {
    const AuditRun run = RunAuditOn({option, "text", "web", "more"});
    EXPECT_EQ(run.err.find("unknown option"), std::string::npos) << option << ": " << run.err;
  }
}

TEST(AuditCommand, PrintsJsonWithEveryFieldEscaped) {
  ScratchFolder web;
  Put(web, "q \"x\".htm", "<map name='a\\b'><area href='say \"hi\"&#10;' alt=' '><area alt=\"\xC3\xA9\"></map>");
  const AuditRun run = RunAuditOn({"--json", web.path().string()});
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.out,
            "[\n  {\"path\":\"q \\\"x\\\".htm\",\"line\":1,\"column\":17,\"rule\":\"empty-alt\",\"severity\":\"error\",\"map\":\"a\\\\b\","
            "\"area\":0,\"href\":\"say \\\"hi\\\"\\n\",\"alt\":\" \",\"suggested_alt\":null,\"suggested_from\":null},\n"
            "  {\"path\":\"q \\\"x\\\".htm\",\"line\":1,\"column\":52,\"rule\":\"alt-without-href\",\"severity\":\"warning\",\"map\":\"a\\\\b\","
            "\"area\":1,\"href\":null,\"alt\":\"\xC3\xA9\",\"suggested_alt\":null,\"suggested_from\":null}\n]\n");
  EXPECT_EQ(run.err, "1 page, 2 areas: 0 missing-alt, 1 empty-alt, 1 alt-without-href\n");

  ScratchFolder clean;
  Put(clean, "a.htm", "<p>");
  EXPECT_EQ(RunAuditOn({"--json", clean.path().string()}).out, "[]\n");
}

TEST(AuditCommand, ShowsProgressOnATerminalForLargeWebsOnly) {
  for (const int pages : {200, 201}) {
    ScratchFolder web;
    for (int i = 0; i < pages; ++i) Put(web, "p" + std::to_string(i) + ".htm", i == 100 ? kBare : "<p>");
    const AuditRun onTerminal = RunAuditOn({web.path().string()}, true);
    const AuditRun piped = RunAuditOn({web.path().string()}, false);
    EXPECT_EQ(onTerminal.err.find("] " + std::to_string(pages) + "/" + std::to_string(pages) + " pages") != std::string::npos,
              pages > 200);
    // The bar is wiped before the finding's line and at the end, and drawn again between.
    const std::string wipe = "\r" + std::string(80, ' ') + "\r";
    if (pages > 200) {
      EXPECT_TRUE(onTerminal.err.ends_with(wipe));
      EXPECT_NE(onTerminal.err.find(wipe + "\r["), std::string::npos);
    }
    EXPECT_EQ(piped.err, "");
    EXPECT_EQ(onTerminal.out, piped.out);
  }
}

TEST(AuditCommand, KeepsControlCharactersOffTheTerminal) {
  const struct {
    std::string name, page, out, err;  // "WEB" stands for the web's path in err
  } cases[] = {
      {"forge.htm", "<map name=m><area href=\"x.htm&#10;index.htm:1:1: missing-alt: y&#13;\"></map>",
       "forge.htm:1:13: missing-alt: area of map \"m\" linking to \"x.htm\\nindex.htm:1:1: missing-alt: y\\r\" has no alt text\n",
       ""},
      {"esc.htm", "<map name=\"&#27;]0;title&#7;\"><area href=\"&#27;[2J\xC2\x85&#127;&#9;\"></map>",
       "esc.htm:1:31: missing-alt: area of map \"\\x1b]0;title\\x07\" linking to \"\\x1b[2J\\u0085\\x7f\\t\" has no alt text\n",
       ""},
      {"a\nb.htm:7:9:\x1b[2J.htm", "<map name=m><area href=a.htm></map>",
       "a\\nb.htm:7:9:\\x1b[2J.htm:1:13: missing-alt: area of map \"m\" linking to \"a.htm\" has no alt text\n", ""},
      {"u\r\xC2\x9B.htm", "<meta charset=iso-2022-kr>", "",
       "mapnote-audit: Cannot read the page \"WEB/u\\r\\u009b.htm\": its encoding \"iso-2022-kr\" is one browsers do not "
       "read: they show the page as a single replacement character\n"},
  };
  for (const auto& c : cases) {
    ScratchFolder web;
    Put(web, c.name, c.page);
    Put(web, "ok.htm", "<p>");
    const AuditRun run = RunAuditOn({web.path().string()});
    std::string err = c.err;
    if (const auto at = err.find("WEB"); at != std::string::npos) err.replace(at, 3, web.path().string());
    EXPECT_EQ(run.out.substr(0, run.out.rfind('\n', run.out.size() - 2) + 1), c.out) << c.name;
    EXPECT_EQ(run.err, err) << c.name;
  }
}

TEST(AuditCommand, JsonStaysValidWhateverTheNamesHold) {
  ScratchFolder web;
  Put(web, "ok.htm", "<map name=\"\x7F\xC2\x85\"><area href=a></map>");
  Put(web, "bad\xFF.htm", "<map name=m><area href=a></map>");
  const AuditRun run = RunAuditOn({"--json", web.path().string()});
  EXPECT_EQ(run.status, 2);
  EXPECT_EQ(run.out, "[\n  {\"path\":\"ok.htm\",\"line\":1,\"column\":16,\"rule\":\"missing-alt\",\"severity\":\"error\",\"map\":"
                     "\"\\u007f\\u0085\",\"area\":0,\"href\":\"a\",\"alt\":null,\"suggested_alt\":null,\"suggested_from\":null}\n]\n");
  EXPECT_EQ(run.err, "mapnote-audit: bad\\xff.htm: its name is not UTF-8, which the list and JSON cannot hold; not checked\n"
                     "1 page, 1 area: 1 missing-alt, 0 empty-alt, 0 alt-without-href; incomplete: 1 page unreadable\n");

  // Nor does the name reach the to-do list, which --apply reads back as UTF-8.
  const std::string todo = (web.path() / "todo.csv").string();
  EXPECT_EQ(RunAuditOn({"--todo", todo, web.path().string()}).status, 2);
  EXPECT_EQ(ReadBytes(todo).find("bad"), std::string::npos);
  EXPECT_NE(ReadBytes(todo).find("ok.htm"), std::string::npos);
}

// Counts the flushes of what it holds: a page's lines must be out before
// the next page is read.
class FlushRecorder : public std::stringbuf {
 public:
  std::vector<std::size_t> flushedAt;

 protected:
  int sync() override {
    flushedAt.push_back(str().size());
    return 0;
  }
};

TEST(AuditCommand, PagesOnManyThreadsPrintAsOnOneAndEachIsFlushed) {
  ScratchFolder web;
  for (int i = 0; i < 300; ++i) {
    const std::string name = (i % 5 == 0 ? "d" + std::to_string(i % 3) + "/" : std::string()) + "p" + std::to_string(i) + ".htm";
    std::string page = i % 11 == 0 ? "<meta charset=iso-2022-kr>" : "<p>";
    for (int a = 0; a < i % 4; ++a) page += "<map name=m><area href=x" + std::to_string(a) + "></map>";
    Put(web, name, page);
  }
  const auto runWith = [&](const char* jobs, FlushRecorder& out) {
    setenv("MAPNOTE_AUDIT_JOBS", jobs, 1);
    std::ostream outStream(&out);
    std::ostringstream err;
    const int status = audit::RunAudit({web.path().string()}, outStream, err, false);
    unsetenv("MAPNOTE_AUDIT_JOBS");
    return AuditRun{status, out.str(), err.str()};
  };
  FlushRecorder oneOut, manyOut;
  const AuditRun one = runWith("1", oneOut), many = runWith("7", manyOut);
  EXPECT_EQ(one.status, 2);
  EXPECT_NE(one.out.find("incomplete: 28 pages unreadable"), std::string::npos);
  EXPECT_EQ(many.status, one.status);
  EXPECT_EQ(many.out, one.out);
  EXPECT_EQ(many.err, one.err);
  // Wherever one page's lines end and the next page's begin, the stream was flushed.
  for (const FlushRecorder* out : {&oneOut, &manyOut}) {
    const std::string& text = out->str();
    std::size_t pageEnds = 0;
    for (std::size_t line = 0, next; (next = text.find('\n', line)) != std::string::npos; line = next + 1) {
      const std::size_t after = next + 1;
      if (after == text.size()) break;  // the summary
      if ( text.substr(line, text.find(':', line) - line) == text.substr(after, text.find(':', after) - after)) {
        continue;
      }
      ++pageEnds;
      EXPECT_NE(std::find(out->flushedAt.begin(), out->flushedAt.end(), after), out->flushedAt.end()) << after;
    }
    EXPECT_GT(pageEnds, 150u);
  }
}

}  // namespace
