#include "audit/web_pages.h"

#include <algorithm>
#include <array>
#include <filesystem>

#include "pages/tag_lexer.h"

namespace audit {
namespace {

namespace fs = std::filesystem;

std::string Lowered(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(), pages::AsciiLower);
  return text;
}

std::string Utf8Of(const std::u8string& text) { return std::string(text.begin(), text.end()); }

bool IsPageFile(const fs::path& path) {
  static constexpr std::array<std::string_view, 4> kExtensions = {".htm", ".html", ".shtml", ".asp"};
  const std::string extension = Lowered(Utf8Of(path.extension().u8string()));
  return std::find(kExtensions.begin(), kExtensions.end(), extension) != kExtensions.end();
}

bool IsSkippedFolder(const fs::path& path) {
  const std::string name = Lowered(Utf8Of(path.filename().u8string()));
  return name.starts_with(".") || name.starts_with("_vti_");
}

// Folder by folder, so that one that cannot be read is reported and the
// others are still listed.
void ListFolder(const fs::path& root, const fs::path& folder, WebPages& found) {
  std::error_code ec;
  fs::directory_iterator it(folder, ec), end;
  for (; !ec && it != end; it.increment(ec)) {
    std::error_code entryError;
    const bool folder = it->is_directory(entryError);
    if (folder && !it->is_symlink(entryError)) {  // no loops through links
      if (!IsSkippedFolder(it->path())) ListFolder(root, it->path(), found);
    } else if (!folder && (it->is_regular_file(entryError) || it->is_symlink(entryError)) && IsPageFile(it->path())) {
      // A link that leads nowhere is listed too, to be reported as unreadable.
      found.pages.push_back(Utf8Of(it->path().lexically_relative(root).generic_u8string()));
    }
  }
  if (ec) found.problems.push_back(Utf8Of(folder.generic_u8string()) + ": " + ec.message());
}

}  // namespace

WebPages ListWebPages(const std::string& web) {
  WebPages found;
  const fs::path root(std::u8string(web.begin(), web.end()));
  ListFolder(root, root, found);
  std::sort(found.pages.begin(), found.pages.end());
  return found;
}

bool IsPageName(const std::string& path) { return IsPageFile(fs::path(std::u8string(path.begin(), path.end()))); }

}  // namespace audit
