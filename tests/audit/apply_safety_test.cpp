// --apply against what else happens to a web: a second run at the same time,
// a run killed halfway, another program writing a page while it is applied.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <utility>

#include "audit/csv.h"
#include "audit/leftover_files.h"
#include "audit/sha256.h"
#include "audit/web_lock.h"
#include "audit_run.h"
#include "pages/file_lock.h"
#include "pages/page_file.h"
#include "tests/html/page_test_support.h"

namespace {

namespace fs = std::filesystem;

const std::string kPage = "<map name=m>\n<area href=\"a.htm\">\n</map>\n";
const std::string kWritten = "<map name=m>\n<area href=\"a.htm\" alt=\"Apples\">\n</map>\n";

// A web of one page and its list, filled in.
struct Web {
  ScratchFolder folder;
  std::string web, page, list;
  Web() : web((folder.path() / "web").string()), page(web + "/p.htm"), list((folder.path() / "todo.csv").string()) {
    fs::create_directory(web);
    std::ofstream(page, std::ios::binary) << kPage;
    std::ofstream(list, std::ios::binary) << audit::CsvRecord({"path", "area", "href", "new_alt", "sha256"})
                                          << audit::CsvRecord({"p.htm", "0", "a.htm", "Apples", audit::Sha256Hex(kPage)});
  }
  AuditRun Apply() const { return RunAuditOn({"--apply", list, web}); }
  std::string Lock() const { return web + "/" + audit::kLockFileName; }
  bool LockLeft() const { return fs::exists(fs::symlink_status(Lock())); }
  std::vector<std::string> Temporaries() const {
    std::vector<std::string> found;
    for (const auto& entry : fs::directory_iterator(web)) {
      if (pages::IsTemporaryName(entry.path().filename().string())) found.push_back(entry.path().filename().string());
    }
    return found;
  }
};

std::function<void(const std::string&)> changeBeforeReplace;
void ChangeBeforeReplace(const std::string& path) { changeBeforeReplace(path); }

struct HookReset {
  ~HookReset() { pages::beforeReplaceHook = nullptr; }
};

// A page another program writes while the run has it: after the run checked
// its sha256 and wrote the new content beside it, before the rename. The
// other program's page stays, whatever it changed.
TEST(ApplySafety, APageWrittenByAnotherProgramMeanwhileIsRefused) {
  struct Case {
    const char* name;
    std::function<void(const std::string& page)> change;
    std::string reason;
  } cases[] = {
      {"a line added", [](const std::string& p) { std::ofstream(p, std::ios::app) << "<p>new</p>\n"; },
       "it has changed since it was read (another program wrote it)"},
      {"the same size and time, other bytes",
       [](const std::string& p) {
         struct stat st {};
         stat(p.c_str(), &st);
         std::string other = kPage;
         other[1] = 'M';
         std::ofstream(p, std::ios::binary) << other;
         const timespec times[2] = {st.st_atim, st.st_mtim};
         utimensat(AT_FDCWD, p.c_str(), times, 0);
       },
       "it has changed since it was read (another program wrote it)"},
      {"saved anew with the same bytes",
       [](const std::string& p) {
         std::ofstream(p + ".new", std::ios::binary) << kPage;
         fs::rename(p + ".new", p);
       },
       "it has changed since it was read (another program wrote it)"},
      {"made read-only", [](const std::string& p) { fs::permissions(p, fs::perms::owner_read); }, "it is read-only"},
  };
  HookReset reset;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Web web;
    std::string expected;
    changeBeforeReplace = [&](const std::string& path) {
      c.change(path);
      expected = ReadBytes(path);
    };
    pages::beforeReplaceHook = ChangeBeforeReplace;
    const AuditRun run = web.Apply();
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "p.htm: refused, nothing written: Cannot save the page \"" + web.page + "\": " + c.reason + "\n");
    EXPECT_EQ(ReadBytes(web.page), expected);
    EXPECT_EQ(web.Temporaries(), std::vector<std::string>{});
  }
}

int toParent = -1, fromParent = -1;
// The first run stops inside its replace, the new page written beside the
// old one, until the parent lets it go on.
void WaitForParent(const std::string&) {
  char byte = 'r';
  if (write(toParent, &byte, 1) != 1 || read(fromParent, &byte, 1) != 1) _exit(3);
}

// Two runs on one web: the second is turned away while the first holds the
// web (naming its process), and runs once the first has ended, however it
// ended. A first run killed halfway leaves its temporary file, which the
// next run removes and names.
TEST(ApplySafety, ASecondRunIsTurnedAwayUntilTheFirstHasEnded) {
  for (const bool killed : {false, true}) {
    SCOPED_TRACE(killed ? "the first run killed" : "the first run finishing");
    Web web;
    int up[2], down[2];
    ASSERT_EQ(pipe(up), 0);
    ASSERT_EQ(pipe(down), 0);
    const pid_t first = fork();
    if (first == 0) {
      toParent = up[1];
      fromParent = down[0];
      pages::beforeReplaceHook = WaitForParent;
      _exit(web.Apply().status);
    }
    char byte = 0;
    ASSERT_EQ(read(up[0], &byte, 1), 1) << "the first run never reached its replace";

    const AuditRun second = web.Apply();
    EXPECT_EQ(second.status, 2);
    EXPECT_EQ(second.out, "");
    EXPECT_NE(second.err.find(web.web + " is being written by another run (process " + std::to_string(first) +
                              " on host "),
              std::string::npos)
        << second.err;
    EXPECT_NE(second.err.find("nothing written"), std::string::npos) << second.err;
    EXPECT_EQ(ReadBytes(web.page), kPage);

    int status = 0;
    if (killed) {
      kill(first, SIGKILL);
      waitpid(first, &status, 0);
      EXPECT_TRUE(WIFSIGNALED(status));
      EXPECT_EQ(ReadBytes(web.page), kPage);
      ASSERT_EQ(web.Temporaries().size(), 1u);
      const std::string left = web.Temporaries()[0];
      const AuditRun next = web.Apply();
      EXPECT_EQ(next.status, 0) << next.err;
      EXPECT_EQ(next.err, "mapnote-audit: removed " + left + ", left by a run that was stopped\n");
      EXPECT_EQ(ReadBytes(web.page), kWritten);
    } else {
      ASSERT_EQ(write(down[1], "g", 1), 1);
      waitpid(first, &status, 0);
      EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
      EXPECT_EQ(ReadBytes(web.page), kWritten);
      // The page now is the first run's: the list no longer fits it.
      const AuditRun next = web.Apply();
      EXPECT_EQ(next.err.find("another run"), std::string::npos) << next.err;
      EXPECT_EQ(ReadBytes(web.page), kWritten);
    }
    EXPECT_EQ(web.Temporaries(), std::vector<std::string>{});
    EXPECT_FALSE(web.LockLeft());
    for (const int fd : {up[0], up[1], down[0], down[1]}) close(fd);
  }
}

// Only the page save's own temporaries beside the web's pages go: regular
// files named exactly as it names them; nothing else that looks alike.
TEST(ApplySafety, OnlyTheSavesOwnLeftoversAreRemoved) {
  ScratchFolder folder;
  const fs::path web = folder.path();
  fs::create_directories(web / "sub");
  fs::create_directories(web / ".hidden");
  for (const char* page : {"p.htm", "sub/q.html", ".hidden/r.htm"}) std::ofstream(web / page) << kPage;
  const std::vector<std::string> ours = {".p.htm.123-0.tmp", "sub/.q.html.98765-12.tmp", "sub/.gone.htm.1-2.tmp"};
  const std::vector<std::string> others = {".p.htm.tmp",           "p.htm.1-2.tmp",        ".p.htm.1-2.tmp.bak",
                                           ".p.htm.x-2.tmp",       ".p.htm.1-.tmp",        "..1-2.tmp",
                                           ".hidden/.r.htm.1-2.tmp", "sub/.link.htm.1-2.tmp", "sub/.dir.htm.1-2.tmp"};
  for (const auto& name : ours) std::ofstream(web / name) << "x";
  for (const auto& name : others) {
    if (name.find("link") != std::string::npos) {
      fs::create_symlink(web / "p.htm", web / name);
    } else if (name.find("dir") != std::string::npos) {
      fs::create_directory(web / name);
    } else {
      std::ofstream(web / name) << "x";
    }
  }
  const audit::Leftovers found = audit::RemoveLeftovers(web.string());
  std::vector<std::string> removed = found.removed;
  std::sort(removed.begin(), removed.end());
  EXPECT_EQ(removed, (std::vector<std::string>{".p.htm.123-0.tmp", "sub/.gone.htm.1-2.tmp", "sub/.q.html.98765-12.tmp"}));
  EXPECT_EQ(found.kept, std::vector<std::string>{});
  for (const auto& name : ours) EXPECT_FALSE(fs::exists(fs::symlink_status(web / name))) << name;
  for (const auto& name : others) EXPECT_TRUE(fs::exists(fs::symlink_status(web / name))) << name;
  EXPECT_EQ(ReadBytes((web / "p.htm").string()), kPage);
}

// A lock file that is no regular file of its own is never written through:
// the run is refused, naming it. The lock file goes at the end of a run, and
// a run that opened it just before its holder removed it takes it anew.
std::optional<pages::FileLock>* toEnd = nullptr;

TEST(ApplySafety, TheLockFileIsAFileOfItsOwnAndGoesAtTheEnd) {
  for (const auto& [make, reason] : std::vector<std::pair<std::function<int(const char*, const char*)>, std::string>>{
           {link, "it has 2 hard links, a lock file one"},
           {symlink, "it is a symbolic link, not a file"},
           {[](const char*, const char* l) { return mkfifo(l, 0644); }, "it is a FIFO, not a file"},
           {[](const char*, const char* l) { return mkdir(l, 0755); }, "it is a folder, not a file"}}) {
    Web web;
    const std::string outside = (web.folder.path() / "notes.txt").string();
    std::ofstream(outside) << "notes";
    ASSERT_EQ(make(outside.c_str(), web.Lock().c_str()), 0);
    const AuditRun run = web.Apply();
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.err, "mapnote-audit: cannot lock " + web.web + " (" + web.Lock() + "): " + reason + "; nothing written\n");
    EXPECT_EQ(ReadBytes(outside) + ReadBytes(web.page), "notes" + kPage);
  }
  Web web;
  web.Apply();
  EXPECT_NE(web.Apply().out.find("1 page already written"), std::string::npos);
  EXPECT_FALSE(web.LockLeft());
  std::string refusal;
  std::optional<pages::FileLock> first = audit::LockWeb(web.web, refusal);
  toEnd = &first;
  pages::lockOpenedHook = [](const std::string&) {
    if (toEnd) std::exchange(toEnd, nullptr)->reset();
  };
  std::optional<pages::FileLock> second = audit::LockWeb(web.web, refusal);
  pages::lockOpenedHook = nullptr;
  ASSERT_TRUE(second && !first) << refusal;
  EXPECT_FALSE(audit::LockWeb(web.web, refusal));
  EXPECT_NE(refusal.find("by another run (process " + std::to_string(getpid())), std::string::npos) << refusal;
  second.reset();
  EXPECT_FALSE(web.LockLeft());
}

}  // namespace
