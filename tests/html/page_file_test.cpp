// Pages that cannot be read or written fail clearly, and a save never
// leaves a half-written page behind.
#include <gtest/gtest.h>

#include <sched.h>
#include <sys/mount.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <functional>
#include <iterator>

#include "host/error.h"
#include "page_test_support.h"
#include "pages/page_file.h"
#include "tests/support/child_process.h"

namespace {

namespace fs = std::filesystem;
using pages::Page;

const std::string kPage = "<html><body><map><area href=\"a.htm\" alt=\"old\"></map></body></html>";

// Runs `action`, which must throw host::Error; returns it.
template <class Action>
host::Error ErrorFrom(Action action) {
  try {
    action();
  } catch (const host::Error& e) {
    return e;
  }
  ADD_FAILURE() << "no error";
  return host::Error(0);
}

bool Names(const host::Error& e, const std::string& path) {
  return host::ToUtf8(e.description()).find(path) != std::string::npos;
}

TEST(PageReading, MissingFileOrFolderFailsNamingIt) {
  ScratchFolder folder;
  const std::string missing = (folder.path() / "missing.htm").string();
  const auto notFound = ErrorFrom([&] { Page page(missing); });
  EXPECT_EQ(notFound.code(), pages::code::FileNotFound);
  EXPECT_TRUE(Names(notFound, missing)) << notFound.what();

  const std::string aFolder = (folder.path() / "web").string();
  fs::create_directory(aFolder);
  const auto isFolder = ErrorFrom([&] { Page page(aFolder); });
  EXPECT_EQ(isFolder.code(), pages::code::PathFileAccess);
  EXPECT_TRUE(Names(isFolder, aFolder)) << isFolder.what();
}

TEST(PageReading, IntoTheMemoryOfALongerPageGivesTheBytesAlone) {
  ScratchFolder folder;
  const std::string path = folder.Write("page.htm", kPage);
  EXPECT_EQ(Page::Read(path, std::string(4 * kPage.size(), '<')).bytes(), kPage);
}

// What stands where a page should be is named, never waited on (a FIFO) or
// read without end (a device); a failure gives the system's reason, and
// "no such file" only where there is none.
TEST(PageReading, NamesWhatStandsInsteadOfAFile) {
  const std::string loop = std::string("it cannot be opened: ") + std::strerror(ELOOP);
  struct Case {
    const char* name;
    std::function<void(const fs::path& page)> make;
    std::uint32_t code;
    std::string reason;
  } cases[] = {
      {"nothing", [](const fs::path&) {}, pages::code::FileNotFound, "no such file"},
      {"a folder", [](const fs::path& p) { fs::create_directory(p); }, pages::code::PathFileAccess, "it is a folder"},
      {"a link to /dev/zero", [](const fs::path& p) { fs::create_symlink("/dev/zero", p); }, pages::code::PathFileAccess,
       "it is a character device, not a file"},
      {"a FIFO", [](const fs::path& p) { ASSERT_EQ(mkfifo(p.c_str(), 0644), 0); }, pages::code::PathFileAccess,
       "it is a FIFO, not a file"},
      {"a link to a FIFO",
       [](const fs::path& p) {
         ASSERT_EQ(mkfifo((p.string() + ".fifo").c_str(), 0644), 0);
         fs::create_symlink(p.string() + ".fifo", p);
       },
       pages::code::PathFileAccess, "it is a FIFO, not a file"},
      {"a socket",
       [](const fs::path& p) {
         const int fd = socket(AF_UNIX, SOCK_STREAM, 0);
         sockaddr_un address{};
         address.sun_family = AF_UNIX;
         std::strncpy(address.sun_path, p.c_str(), sizeof address.sun_path - 1);
         ASSERT_EQ(bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
         close(fd);
       },
       pages::code::PathFileAccess, "it is a socket, not a file"},
      {"a link loop",
       [](const fs::path& p) {
         fs::create_symlink(p.string() + ".2", p);
         fs::create_symlink(p, p.string() + ".2");
       },
       pages::code::PathFileAccess, loop},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ScratchFolder folder;
    const std::string path = (folder.path() / "p.htm").string();
    c.make(path);
    const auto error = ErrorFrom([&] { Page page(path); });
    EXPECT_EQ(error.code(), c.code);
    EXPECT_EQ(host::ToUtf8(error.description()), "Cannot read the page \"" + path + "\": " + c.reason);
  }
}

// The mode bits stop an unprivileged user, whom these cases run as: the
// reason is the system's, and a page it may not write is refused, though
// its folder would let a new file take the page's name.
TEST(PageFiles, PermissionCasesAsAnUnprivilegedUser) {
  const auto user = UnprivilegedUser();
  if (!user) GTEST_SKIP() << "no unprivileged user (nobody) to run the permission cases as";
  const std::string denied = std::string("it cannot be opened: ") + std::strerror(EACCES);
  struct Case {
    const char* name;
    const char* page;        // under the folder
    fs::perms folderMode;    // of the page's own folder, which the user owns
    fs::perms pageMode;
    bool userOwnsPage;
    bool save;  // else read
    std::string reason;
  } cases[] = {
      {"a folder without search permission", "locked/p.htm", fs::perms::owner_read | fs::perms::owner_write,
       fs::perms::owner_read | fs::perms::owner_write, true, false, denied},
      {"a page without read permission", "open/p.htm", fs::perms::owner_all, fs::perms::owner_write, true, false, denied},
      {"a read-only page", "open/p.htm", fs::perms::owner_all, fs::perms::owner_read | fs::perms::group_read, true, true,
       "it is read-only"},
      {"another user's page", "open/p.htm", fs::perms::owner_all | fs::perms::others_all,
       fs::perms::owner_read | fs::perms::owner_write | fs::perms::others_read, false, true, "it is read-only"},
  };
  std::string skipped;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    if (!c.userOwnsPage && geteuid() != 0) {
      skipped += std::string(" ") + c.name + ";";  // only a superuser makes a file another's
      continue;
    }
    ScratchFolder folder;
    fs::permissions(folder.path(), fs::perms::all);
    const std::string page = (folder.path() / c.page).string();
    fs::create_directories(fs::path(page).parent_path());
    std::ofstream(page, std::ios::binary) << kPage;
    if (c.userOwnsPage) {
      ASSERT_EQ(chown(page.c_str(), user->first, user->second), 0);
    }
    ASSERT_EQ(chown(fs::path(page).parent_path().c_str(), user->first, user->second), 0);
    fs::permissions(page, c.pageMode);
    fs::permissions(fs::path(page).parent_path(), c.folderMode);
    const std::string outcome = InChild(
        [&]() -> std::string {
          try {
            Page opened(page);
            if (!c.save) return "read";
            opened.SetAttribute(0, u"alt", u"new");
            opened.Save();
            return "saved";
          } catch (const host::Error& e) {
            return host::ToUtf8(e.description());
          }
        },
        user);
    fs::permissions(fs::path(page).parent_path(), fs::perms::owner_all);
    EXPECT_EQ(outcome, std::string(c.save ? "Cannot save" : "Cannot read") + " the page \"" + page + "\": " + c.reason);
    EXPECT_EQ(fs::status(page).permissions(), c.pageMode);
    fs::permissions(page, fs::perms::owner_read, fs::perm_options::add);
    EXPECT_EQ(ReadBytes(page), kPage);
  }
  if (!skipped.empty()) GTEST_SKIP() << "not run, as this user is not root:" << skipped;
}

// A save replaces only a page it may: one made read-only is refused even
// where a superuser could write it, and one with a second name is refused
// rather than parted from it; what it replaces keeps its owner and mode.
TEST(PageSaving, KeepsOwnerAndModeAndRefusesReadOnlyOrLinkedPages) {
  struct Case {
    const char* name;
    std::function<void(const std::string& page)> make;
    std::string reason;  // empty: saved
  } cases[] = {
      {"read-only", [](const std::string& p) { fs::permissions(p, fs::perms::owner_read | fs::perms::others_read); },
       "it is read-only"},
      {"a second hard link", [](const std::string& p) { fs::create_hard_link(p, p + ".also.htm"); },
       "it has 2 hard links, and a new file would part it from its other names"},
      {"another user's, mode 640",
       [](const std::string& p) {
         const auto user = UnprivilegedUser();
         if (geteuid() == 0 && user) {
           ASSERT_EQ(chown(p.c_str(), user->first, user->second), 0);
         }
         fs::permissions(p, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
       },
       ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ScratchFolder folder;
    const std::string path = folder.Write("p.htm", kPage);
    c.make(path);
    struct stat before {};
    ASSERT_EQ(stat(path.c_str(), &before), 0);
    Page page(path);
    page.SetAttribute(0, u"alt", u"new");
    if (c.reason.empty()) {
      page.Save();
      EXPECT_EQ(Page(path).GetAttribute(0, u"alt"), u"new");
    } else {
      const auto error = ErrorFrom([&] { page.Save(); });
      EXPECT_EQ(host::ToUtf8(error.description()), "Cannot save the page \"" + path + "\": " + c.reason);
      EXPECT_EQ(ReadBytes(path), kPage);
    }
    struct stat after {};
    ASSERT_EQ(stat(path.c_str(), &after), 0);
    EXPECT_EQ(after.st_uid, before.st_uid);
    EXPECT_EQ(after.st_gid, before.st_gid);
    EXPECT_EQ(after.st_mode, before.st_mode);
    EXPECT_EQ(after.st_nlink, before.st_nlink);
    for (const std::string& name : folder.FileNames()) EXPECT_FALSE(pages::IsTemporaryName(name)) << name;
  }
}

// On a full disk the save says so, and leaves the page and no temporary
// file behind. A tiny file system of its own is mounted for it, in a mount
// namespace of a child process, which needs root.
TEST(PageSaving, AFullDiskSaysTheDiskIsFull) {
  if (geteuid() != 0) GTEST_SKIP() << "mounting a small file system needs root: the disk-full message is not tried";
  ScratchFolder folder;
  const fs::path disk = folder.path() / "disk";
  fs::create_directory(disk);
  const std::string page = (disk / "p.htm").string();
  const std::string outcome = InChild([&]() -> std::string {
    if (unshare(CLONE_NEWNS) != 0 || mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
        mount("tmpfs", disk.c_str(), "tmpfs", 0, "size=16k") != 0) {
      return "no mount";
    }
    std::ofstream(page, std::ios::binary) << kPage;
    Page opened(page);
    {
      std::ofstream filler((disk / "filler").string(), std::ios::binary);
      const std::string block(4096, 'x');
      for (int i = 0; i < 64 && filler.write(block.data(), block.size()).flush(); ++i) {
      }
    }
    opened.SetAttribute(0, u"alt", std::u16string(3000, u'a'));
    std::string result;
    try {
      opened.Save();
      result = "saved";
    } catch (const host::Error& e) {
      result = host::ToUtf8(e.description());
    }
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(disk)) names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    std::string listed;
    for (const std::string& name : names) listed += " " + name;
    return result + "|" + (ReadBytes(page) == kPage ? "kept" : "changed") + "|" + listed;
  });
  if (outcome == "no mount") GTEST_SKIP() << "no small file system could be mounted: the disk-full message is not tried";
  EXPECT_EQ(outcome, "Cannot save the page \"" + page + "\": writing failed: " + std::strerror(ENOSPC) + "|kept| filler p.htm");
}

TEST(PageSaving, FailureInAMissingFolderKeepsTheEdits) {
  ScratchFolder folder;
  const fs::path web = folder.path() / "web";
  fs::create_directory(web);
  const std::string path = (web / "page.htm").string();
  std::ofstream(path, std::ios::binary) << kPage;
  Page page(path);
  page.SetAttribute(0, u"alt", u"new");
  fs::remove_all(web);

  const auto error = ErrorFrom([&] { page.Save(); });
  EXPECT_EQ(error.code(), pages::code::PathFileAccess);
  EXPECT_TRUE(Names(error, path)) << error.what();
  EXPECT_TRUE(page.Modified());
  EXPECT_EQ(page.GetAttribute(0, u"alt"), u"new");

  fs::create_directory(web);
  page.Save();
  EXPECT_EQ(Page(path).GetAttribute(0, u"alt"), u"new") << "a later save still writes the edits";
}

TEST(PageSaving, FailedReplaceLeavesNoTemporaryFile) {
  ScratchFolder folder;
  const std::string path = folder.Write("page.htm", kPage);
  Page page(path);
  page.SetAttribute(0, u"alt", u"new");
  // The page's name is taken by a folder with content, which no file can replace.
  fs::remove(path);
  fs::create_directory(path);
  std::ofstream((fs::path(path) / "keep.txt").string()) << "x";

  const auto error = ErrorFrom([&] { page.Save(); });
  EXPECT_TRUE(Names(error, path)) << error.what();
  EXPECT_EQ(folder.FileNames(), std::vector<std::string>{"page.htm"});
  EXPECT_TRUE(fs::exists(fs::path(path) / "keep.txt"));
}

TEST(PageSaving, ContentThatFailsHalfWrittenLeavesTheOldFile) {
  ScratchFolder folder;
  const std::string path = folder.Write("page.htm", kPage);
  EXPECT_THROW(pages::ReplacePageFileWith(path, [](const pages::ContentSink& sink) {
    sink("<html>half");
    throw std::runtime_error("the run stopped");
  }), std::runtime_error);
  EXPECT_EQ(ReadBytes(path), kPage);
  EXPECT_EQ(folder.FileNames(), std::vector<std::string>{"page.htm"});
}

TEST(PageSaving, ReplacesTheFileWholeAndKeepsItsPermissions) {
  ScratchFolder folder;
  const std::string path = folder.Write("page.htm", kPage);
  fs::permissions(path, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
  Page page(path);
  // A reader that has the page open while it is saved reads the old page
  // whole: the new content arrives as a new file.
  std::ifstream reader(path, std::ios::binary);
  page.SetAttribute(0, u"alt", u"new text");
  page.Save();

  const std::string seenByReader{std::istreambuf_iterator<char>(reader), std::istreambuf_iterator<char>()};
  EXPECT_EQ(seenByReader, kPage);
  EXPECT_EQ(ReadBytes(path), "<html><body><map><area href=\"a.htm\" alt=\"new text\"></map></body></html>");
  EXPECT_EQ(fs::status(path).permissions(), fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
  EXPECT_EQ(folder.FileNames(), std::vector<std::string>{"page.htm"});
}

TEST(PageSaving, ThroughALinkUpdatesTheLinkedFile) {
  ScratchFolder folder;
  const std::string target = folder.Write("real.htm", kPage);
  const std::string link = (folder.path() / "link.htm").string();
  fs::create_symlink(target, link);
  Page page(link);
  page.SetAttribute(0, u"alt", u"via link");
  page.Save();
  EXPECT_TRUE(fs::is_symlink(link));
  EXPECT_EQ(Page(target).GetAttribute(0, u"alt"), u"via link");
}

TEST(PageSaving, SaveAsWritesTheNewFileAndLeavesTheOldOne) {
  ScratchFolder folder;
  const std::string original = folder.Write("unsaved.htm", kPage);
  const std::string renamed = (folder.path() / "saved.htm").string();
  Page page(original);
  page.SetAttribute(0, u"alt", u"new");
  page.SaveAs(renamed);
  EXPECT_EQ(page.path(), renamed);
  EXPECT_FALSE(page.Modified());
  EXPECT_EQ(ReadBytes(original), kPage);
  EXPECT_EQ(Page(renamed).GetAttribute(0, u"alt"), u"new");
}

}  // namespace
