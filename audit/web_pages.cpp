#include "audit/web_pages.h"

#include <algorithm>
#include <array>
#include <filesystem>
#include <map>

#include "audit/file_identity.h"
#include "audit/page_selection.h"
#include "pages/encoding.h"
#include "pages/tag_lexer.h"
#include "pages/utf8_path.h"

namespace audit {
namespace {

namespace fs = std::filesystem;
using pages::PathOf;
using pages::Utf8Of;

std::string Lowered(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(), pages::AsciiLower);
  return text;
}

bool IsPageFile(const fs::path& path, const PageSelection& selection) {
  return selection.IsPageName(Utf8Of(path.filename().u8string()));
}

bool IsSkippedFolder(const fs::path& path) {
  const std::string name = Lowered(Utf8Of(path.filename().u8string()));
  return name.starts_with(".") || name.starts_with("_vti_");
}

// Whether `path` (lexically normal) lies inside `folder` or is it.
bool IsWithin(const fs::path& path, const fs::path& folder) {
  const fs::path relative = path.lexically_relative(folder);
  return !relative.empty() && *relative.begin() != "..";
}

ListedPage Refused(std::string refusal, bool unreadable = false) { return {std::nullopt, std::move(refusal), unreadable}; }

// FindListedPage with the web's real path, found once per listing.
ListedPage FindIn(const fs::path& web, const fs::path& webReal, const std::string& relative, const PageSelection& selection) {
  const fs::path inside = PathOf(relative).lexically_normal();
  if (inside.empty() || inside.has_root_name() || inside.has_root_directory() || *inside.begin() == "..") {
    return Refused("the path leads out of the web");
  }
  if (!IsPageFile(inside, selection)) return Refused("it is not a page (" + selection.Describe() + ")");
  const fs::path folder = inside.parent_path();
  fs::path within;
  for (const fs::path& part : folder) {
    if (IsSkippedFolder(part)) return Refused("it lies in a hidden or _vti_* folder, which the audit leaves out");
    within /= part;
    if (selection.IsExcluded(Utf8Of(within.generic_u8string()), true)) return Refused("it lies in a folder the audit excludes");
  }
  if (selection.IsExcluded(Utf8Of(inside.generic_u8string()), false)) return Refused("the audit excludes it");
  const fs::path folderInWeb = folder.empty() ? webReal : webReal / folder;
  std::error_code ec;
  const fs::path folderReal = fs::canonical(folderInWeb, ec);
  if (ec) return Refused(ec.message(), true);
  if (!IsWithin(folderReal, webReal)) return Refused("the path leads out of the web through a folder link");
  if (folderReal != folderInWeb) return Refused("it lies under a link to a folder");

  const fs::path file = web / inside;
  const fs::path real = fs::canonical(file, ec);
  if (ec == std::errc::no_such_file_or_directory) return {Utf8Of(file.generic_u8string()), "", false};
  if (ec) return Refused(ec.message(), true);
  if (!IsWithin(real, webReal)) return Refused("it is a link that leads out of the web");
  const fs::file_status status = fs::status(real, ec);
  if (ec) return Refused(ec.message(), true);
  if (fs::is_directory(status)) return Refused("it is a folder", true);
  if (!fs::is_regular_file(status)) return Refused("it is not a regular file", true);
  return {Utf8Of(file.generic_u8string()), "", false};
}

WebNote NoteOfRefusal(const std::string& relative, const ListedPage& listed) {
  return {listed.unreadable ? WebNote::PageUnreadable : WebNote::Skipped, relative,
          relative + ": " + listed.refusal + "; not checked"};
}

struct Walk {
  fs::path web, webReal;
  const PageSelection& selection;
  std::size_t otherPages;
  std::vector<std::pair<std::string, std::string>> pages;  // relative path, file
  std::vector<WebNote> notes;
};

// Folder by folder, so that one that cannot be read is reported and the
// others are still listed.
void ListFolder(const fs::path& folder, Walk& walk) {
  std::error_code ec;
  fs::directory_iterator it(folder, ec), end;
  for (; !ec && it != end; it.increment(ec)) {
    const std::string relative = Utf8Of(it->path().lexically_relative(walk.web).generic_u8string());
    std::error_code entryError;
    const bool link = it->is_symlink(entryError);  // from the listing, where it tells
    if (it->is_directory(entryError)) {  // after any link
      if (IsSkippedFolder(it->path()) || walk.selection.IsExcluded(relative, true)) continue;
      if (link) {
        walk.notes.push_back({WebNote::Skipped, relative, relative + " is a link to a folder; not followed"});
      } else {
        ListFolder(it->path(), walk);
      }
    } else if (walk.selection.IsExcluded(relative, false)) {
      continue;
    } else if (!IsPageFile(it->path(), walk.selection)) {
      walk.otherPages += walk.selection.IsOtherPageName(relative);
    } else {
      if (!pages::IsValidUtf8(relative)) {
        walk.notes.push_back({WebNote::PageUnreadable, relative,
                              relative + ": its name is not UTF-8, which the list and JSON cannot hold; not checked"});
        continue;
      }
      // A plain file reached through real folders meets every rule as it is:
      // only links and special files need the look that costs a call per folder.
      const bool plain = !link && it->is_regular_file(entryError);
      const ListedPage listed =
          plain ? ListedPage{Utf8Of(it->path().generic_u8string()), "", false}
                : FindIn(walk.web, walk.webReal, relative, walk.selection);
      if (listed.file) {
        walk.pages.emplace_back(relative, *listed.file);
      } else {
        walk.notes.push_back(NoteOfRefusal(relative, listed));
      }
    }
  }
  if (ec) {
    const std::string relative = Utf8Of(folder.lexically_relative(walk.web).generic_u8string());
    walk.notes.push_back({WebNote::FolderUnlisted, relative,
                          "cannot list " + Utf8Of(folder.generic_u8string()) + ": " + ec.message()});
  }
}

}  // namespace

ListedPage FindListedPage(const std::string& web, const std::string& relative, const PageSelection& selection) {
  std::error_code ec;
  const fs::path webReal = fs::canonical(PathOf(web), ec);
  if (ec) return Refused(ec.message(), true);
  return FindIn(PathOf(web), webReal, relative, selection);
}

WebPages ListWebPages(const std::string& web, const PageSelection& selection) {
  Walk walk{PathOf(web), {}, selection, 0, {}, {}};
  std::error_code ec;
  walk.webReal = fs::canonical(walk.web, ec);
  if (ec) {
    return {{}, {{WebNote::FolderUnlisted, "", "cannot list " + Utf8Of(walk.web.generic_u8string()) + ": " + ec.message()}}};
  }
  ListFolder(walk.web, walk);
  std::sort(walk.pages.begin(), walk.pages.end());

  WebPages found;
  std::map<FileIdentity, std::string> firstPath;
  for (const auto& [relative, file] : walk.pages) {
    const auto identity = IdentityOf(file);
    if (!identity) {
      // Why, in the system's words (a folder that cannot be searched); a
      // file that is missing is left to its reader to report.
      const ListedPage listed = FindIn(walk.web, walk.webReal, relative, selection);
      if (!listed.file) {
        found.notes.push_back(NoteOfRefusal(relative, listed));
        continue;
      }
    } else {
      const auto [first, isNew] = firstPath.emplace(*identity, relative);
      if (!isNew) {
        found.notes.push_back({WebNote::Skipped, relative, relative + " is the same file as " + first->second + "; audited once"});
        continue;
      }
    }
    found.pages.push_back(relative);
  }
  found.otherPages = walk.otherPages;
  found.notes.insert(found.notes.end(), walk.notes.begin(), walk.notes.end());
  std::stable_sort(found.notes.begin(), found.notes.end(),
                   [](const WebNote& a, const WebNote& b) { return a.path < b.path; });
  return found;
}

bool IsPageName(const std::string& path) {
  const PageSelection usual;
  return usual.IsPageName(path) || usual.IsOtherPageName(path);
}

}  // namespace audit
