// Pages that cannot be read or written fail clearly, and a save never
// leaves a half-written page behind.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "host/error.h"
#include "page_test_support.h"
#include "pages/page_file.h"

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
