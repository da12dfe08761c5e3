// The command over whole webs: which files are pages, what is printed, and
// the exit status.
#include <gtest/gtest.h>

#include <filesystem>

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
  EXPECT_EQ(run.status, audit::exit_status::Found);
  EXPECT_EQ(run.out,
            "good.htm:1:6: empty-alt: area of an unnamed map linking to \"a\" has a blank alt text\n"
            "2 pages (2 unreadable), 2 areas: 0 missing-alt, 1 empty-alt, 0 alt-without-href\n");
  const std::string dir = web.path().string();
  EXPECT_EQ(run.err, "mapnote-audit: Cannot edit the page \"" + dir + "/kr.htm\": its encoding \"iso-2022-kr\" is one "
                     "browsers do not read: they show the page as a single replacement character\n"
                     "mapnote-audit: Cannot read the page \"" + dir + "/link.htm\": no such file\n");
}

TEST(AuditCommand, ExitStatusSaysWhatWasFound) {
  ScratchFolder clean, empty, unreadable;
  Put(clean, "a.htm", "<map><area href=a alt=A><area></map><area href=b>");
  Put(unreadable, "a.htm", "<meta charset=hz-gb-2312>");
  const struct {
    std::vector<std::string> args;
    int status;
    std::string out, err;
  } cases[] = {
      {{clean.path().string()}, 0, "1 page, 3 areas: 0 missing-alt, 0 empty-alt, 0 alt-without-href\n", ""},
      {{empty.path().string()}, 2, "0 pages, 0 areas: 0 missing-alt, 0 empty-alt, 0 alt-without-href\n",
       "mapnote-audit: no page could be read under " + empty.path().string() + "\n"},
      {{(empty.path() / "none").string()}, 2, "0 pages, 0 areas: 0 missing-alt, 0 empty-alt, 0 alt-without-href\n",
       "mapnote-audit: cannot list " + (empty.path() / "none").string() +
           ": No such file or directory\nmapnote-audit: no page could be read under " + (empty.path() / "none").string() +
           "\n"},
      {{}, 2, "", "usage: mapnote-audit [--shared-target] [--aria] [--json | --todo FILE.csv] WEB\n"
                  "       mapnote-audit --apply FILE.csv WEB\n"},
      {{"--color", "w"}, 2, "", "mapnote-audit: unexpected \"--color\"\n"},
      {{"w", "v"}, 2, "", "mapnote-audit: unexpected \"v\"\n"},
      {{"w", "--todo"}, 2, "", "mapnote-audit: unexpected \"--todo\"\n"},
      {{"--json", "--todo", "t.csv", "w"}, 2, "", "usage: mapnote-audit"},
      {{"--apply", "t.csv", "--aria", "w"}, 2, "", "usage: mapnote-audit"},
  };
  for (const auto& c : cases) {
    const AuditRun run = RunAuditOn(c.args);
    EXPECT_EQ(run.status, c.status) << testing::PrintToString(c.args);
    EXPECT_EQ(run.out, c.out) << testing::PrintToString(c.args);
    EXPECT_EQ(run.err.substr(0, c.err.size()), c.err) << testing::PrintToString(c.args);
  }
  EXPECT_EQ(RunAuditOn({unreadable.path().string()}).status, 2);
}

TEST(AuditCommand, PrintsJsonWithEveryFieldEscaped) {
  ScratchFolder web;
  Put(web, "q \"x\".htm", "<map name='a\\b'><area href='say \"hi\"&#10;' alt=' '><area alt=\"\xC3\xA9\"></map>");
  const AuditRun run = RunAuditOn({"--json", web.path().string()});
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.out,
            "[\n  {\"path\": \"q \\\"x\\\".htm\", \"line\": 1, \"column\": 17, \"rule\": \"empty-alt\", \"map\": \"a\\\\b\", "
            "\"area\": 0, \"href\": \"say \\\"hi\\\"\\u000a\", \"alt\": \" \"},\n"
            "  {\"path\": \"q \\\"x\\\".htm\", \"line\": 1, \"column\": 52, \"rule\": \"alt-without-href\", \"map\": \"a\\\\b\", "
            "\"area\": 1, \"href\": null, \"alt\": \"\xC3\xA9\"}\n]\n");
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

}  // namespace
