// Links, special files and locked folders in a web: each page audited once,
// whatever is left out named with its reason, an audit that could not look
// everywhere exiting 2, and --apply writing only pages the audit lists,
// inside the web.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <functional>

#include "audit/sha256.h"
#include "audit_run.h"
#include "tests/html/page_test_support.h"

namespace {

namespace fs = std::filesystem;

const std::string kBare = "<map name=m><area href=a.htm></map>";
const std::string kFinding = ":1:13: missing-alt: area of map \"m\" linking to \"a.htm\" has no alt text\n";

// WEB/ and OUT/ side by side in a scratch folder, so that a link can lead
// out of the web.
struct Scene {
  ScratchFolder scratch;
  fs::path web = scratch.path() / "web", outside = scratch.path() / "outside";
  Scene() {
    fs::create_directories(web);
    fs::create_directories(outside);
  }
  void Put(const fs::path& file, const std::string& bytes) const {
    fs::create_directories(file.parent_path());
    scratch.Write(file.lexically_relative(scratch.path()).string(), bytes);
  }
  std::string Web() const { return web.string(); }
};

// The audit's lines for a web whose one page checked is `page`, holding
// kBare; `incomplete` ends the summary when it could not look everywhere.
std::string OnePage(const std::string& page, const std::string& incomplete = "") {
  return page + kFinding + "1 page, 1 area: 1 missing-alt, 0 empty-alt, 0 alt-without-href" + incomplete + "\n";
}

TEST(AuditLinks, EachPageOnceAndWhatIsLeftOutNamed) {
  const struct {
    const char* name;
    std::vector<std::string> bare;  // files holding kBare, from the web's folder
    std::function<void(const Scene&)> link;
    int status;
    std::string out, err;  // "WEB" stands for the web's path in err
  } cases[] = {
      {"a file link and a hard link read once, under the first path", {"b.htm"},
       [](const Scene& s) {
         fs::create_symlink("b.htm", s.web / "a.htm");
         fs::create_hard_link(s.web / "b.htm", s.web / "c.htm");
       },
       1, OnePage("a.htm"),
       "mapnote-audit: b.htm is the same file as a.htm; audited once\n"
       "mapnote-audit: c.htm is the same file as a.htm; audited once\n"},
      {"folder links, inside and out, named and not followed", {"sub/p.htm", "../outside/q.htm"},
       [](const Scene& s) {
         fs::create_directory_symlink("sub", s.web / "alias");
         fs::create_directory_symlink("../outside", s.web / "out");
         fs::create_directory_symlink("../outside", s.web / "_vti_cnf");
       },
       1, OnePage("sub/p.htm"),
       "mapnote-audit: alias is a link to a folder; not followed\n"
       "mapnote-audit: out is a link to a folder; not followed\n"},
      {"a file link out of the web", {"a.htm", "../outside/o.htm"},
       [](const Scene& s) { fs::create_symlink("../outside/o.htm", s.web / "o.htm"); }, 1, OnePage("a.htm"),
       "mapnote-audit: o.htm: it is a link that leads out of the web; not checked\n"},
      {"a link loop, with the system's reason", {"a.htm"},
       [](const Scene& s) { fs::create_symlink("loop.htm", s.web / "loop.htm"); }, 2,
       OnePage("a.htm", "; incomplete: 1 page unreadable"),
       "mapnote-audit: loop.htm: Too many levels of symbolic links; not checked\n"},
      {"a FIFO and a link to one, never opened", {"a.htm"},
       [](const Scene& s) {
         ASSERT_EQ(mkfifo((s.web / "fifo").c_str(), 0644), 0);
         ASSERT_EQ(mkfifo((s.web / "g.htm").c_str(), 0644), 0);
         fs::create_symlink("fifo", s.web / "f.htm");
       },
       2, OnePage("a.htm", "; incomplete: 2 pages unreadable"),
       "mapnote-audit: f.htm: it is not a regular file; not checked\n"
       "mapnote-audit: g.htm: it is not a regular file; not checked\n"},
      {"a name that is not UTF-8, shown escaped and left out", {"a.htm", "caf\xE9\x1b.htm"}, [](const Scene&) {}, 2,
       OnePage("a.htm", "; incomplete: 1 page unreadable"),
       "mapnote-audit: caf\\xe9\\x1b.htm: its name is not UTF-8, which the list and JSON cannot hold; not checked\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const Scene scene;
    for (const std::string& file : c.bare) scene.Put((scene.web / file).lexically_normal(), kBare);
    c.link(scene);
    for (const bool json : {false, true}) {
      const AuditRun run = RunAuditOn(json ? std::vector<std::string>{"--json", scene.Web()} : std::vector{scene.Web()});
      EXPECT_EQ(run.status, c.status);
      if (json) {
        // The summary goes to stderr, after the notes.
        EXPECT_EQ(run.err, c.err + c.out.substr(c.out.rfind('\n', c.out.size() - 2) + 1));
      } else {
        EXPECT_EQ(run.out, c.out);
        EXPECT_EQ(run.err, c.err);
      }
    }
  }
}

// The audit of `web` run as an unprivileged user, for whom a folder's mode
// counts; root reads any folder.
AuditRun RunAuditUnprivileged(const std::string& web) {
  if (geteuid() != 0) return RunAuditOn({web});
  int pipes[2][2];
  if (pipe(pipes[0]) != 0 || pipe(pipes[1]) != 0) return {-1, "", "no pipe"};
  const pid_t child = fork();
  if (child == 0) {
    int status = 125;
    AuditRun run{status, "", ""};
    if (setgid(65534) == 0 && setuid(65534) == 0) run = RunAuditOn({web});
    const auto send = [](int fd, const std::string& text) {
      for (std::size_t done = 0; done < text.size();) {
        const ssize_t n = write(fd, text.data() + done, text.size() - done);
        if (n <= 0) break;
        done += static_cast<std::size_t>(n);
      }
      close(fd);
    };
    send(pipes[0][1], run.out);
    send(pipes[1][1], run.err);
    _exit(run.status);
  }
  close(pipes[0][1]);
  close(pipes[1][1]);
  const auto receive = [](int fd) {
    std::string text;
    char block[4096];
    for (ssize_t n; (n = read(fd, block, sizeof block)) > 0;) text.append(block, static_cast<std::size_t>(n));
    close(fd);
    return text;
  };
  AuditRun run{-1, receive(pipes[0][0]), ""};
  run.err = receive(pipes[1][0]);
  int status = 0;
  waitpid(child, &status, 0);
  run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return run;
}

TEST(AuditLinks, FoldersThatCannotBeReadGiveTheSystemsReason) {
  const Scene scene;
  scene.Put(scene.web / "a.htm", kBare);
  scene.Put(scene.web / "locked/p.htm", kBare);
  scene.Put(scene.web / "unsearchable/q.htm", kBare);
  for (const fs::path& folder : {scene.scratch.path(), scene.web}) fs::permissions(folder, fs::perms(0755));
  fs::permissions(scene.web / "a.htm", fs::perms(0644));
  fs::permissions(scene.web / "locked", fs::perms::none);
  fs::permissions(scene.web / "unsearchable", fs::perms(0644));
  const AuditRun run = RunAuditUnprivileged(scene.Web());
  fs::permissions(scene.web / "locked", fs::perms(0755));
  fs::permissions(scene.web / "unsearchable", fs::perms(0755));
  if (run.status == 125) GTEST_SKIP() << "runs as root and cannot become the unprivileged user 65534";
  EXPECT_EQ(run.status, 2);
  EXPECT_EQ(run.out, OnePage("a.htm", "; incomplete: 1 page unreadable, 1 folder not listed"));
  EXPECT_EQ(run.err, "mapnote-audit: cannot list " + scene.Web() + "/locked: Permission denied\n"
                     "mapnote-audit: unsearchable/q.htm: Permission denied; not checked\n");
}

TEST(AuditLinks, ApplyWritesOnlyPagesTheAuditListsInsideTheWeb) {
  const Scene scene;
  const fs::path& web = scene.web;
  scene.Put(web / "a.htm", kBare);
  scene.Put(web / "sub/p.htm", kBare);
  scene.Put(scene.outside / "out.htm", kBare);
  scene.Put(scene.outside / "o.htm", kBare);
  for (const char* notListed : {"_vti_cnf/x.htm", ".hidden/x.htm", "menu.js", "_VTI_PVT/y.htm"}) scene.Put(web / notListed, kBare);
  fs::create_directory_symlink("../outside", web / "linkdir");
  fs::create_directory_symlink("sub", web / "alias");
  fs::create_symlink("../outside/o.htm", web / "o.htm");

  const std::string sha = audit::Sha256Hex(kBare);
  std::string list = "path,area,href,new_alt,sha256\n";
  for (const char* path : {"a.htm", "linkdir/out.htm", "alias/p.htm", "o.htm", "_vti_cnf/x.htm", ".hidden/x.htm",
                           "menu.js", "_VTI_PVT/y.htm", "sub/../../outside/out.htm", "\x1b[2J.js"}) {
    list += std::string(path) + ",0,a.htm,Text," + sha + "\n";
  }
  scene.scratch.Write("todo.csv", list);
  const AuditRun run = RunAuditOn({"--apply", (scene.scratch.path() / "todo.csv").string(), scene.Web()});
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.out, "a.htm: wrote 1 alt text\nWrote 1 alt text to 1 page; 9 pages refused\n");
  const std::string hidden = "it lies in a hidden or _vti_* folder, which the audit leaves out\n";
  EXPECT_EQ(run.err, "\\x1b[2J.js: refused, nothing written: it is not a page (.htm, .html, .shtml or .asp)\n"
                     ".hidden/x.htm: refused, nothing written: " + hidden +
                         "_VTI_PVT/y.htm: refused, nothing written: " + hidden +
                         "_vti_cnf/x.htm: refused, nothing written: " + hidden +
                         "alias/p.htm: refused, nothing written: it lies under a link to a folder\n"
                         "linkdir/out.htm: refused, nothing written: the path leads out of the web through a folder link\n"
                         "menu.js: refused, nothing written: it is not a page (.htm, .html, .shtml or .asp)\n"
                         "o.htm: refused, nothing written: it is a link that leads out of the web\n"
                         "sub/../../outside/out.htm: refused, nothing written: the path leads out of the web\n");
  for (const fs::path& untouched : {scene.outside / "out.htm", scene.outside / "o.htm", web / "_vti_cnf/x.htm",
                                    web / ".hidden/x.htm", web / "menu.js", web / "sub/p.htm"}) {
    EXPECT_EQ(ReadBytes(untouched.string()), kBare) << untouched;
  }
  EXPECT_EQ(ReadBytes((web / "a.htm").string()), "<map name=m><area href=a.htm alt=\"Text\"></map>");
}

}  // namespace
