#include "audit/leftover_files.h"

#include <filesystem>
#include <set>

#include "audit/web_pages.h"
#include "pages/page_file.h"
#include "pages/utf8_path.h"

namespace audit {

namespace fs = std::filesystem;

Leftovers RemoveLeftovers(const std::string& web) {
  const fs::path root = pages::PathOf(web);
  // The folders of the pages the audit lists: those a run writes into.
  std::set<fs::path> folders;
  for (const std::string& page : ListWebPages(web).pages) {
    folders.insert(fs::path(std::u8string(page.begin(), page.end())).parent_path());
  }
  Leftovers found;
  for (const fs::path& folder : folders) {
    std::error_code ec;
    for (fs::directory_iterator it(root / folder, ec), end; !ec && it != end; it.increment(ec)) {
      const std::u8string name = it->path().filename().u8string();
      std::error_code kindError;
      if (!pages::IsTemporaryName(std::string(name.begin(), name.end())) || !it->is_regular_file(kindError) ||
          it->is_symlink(kindError)) {
        continue;
      }
      const std::string relative = pages::Utf8Of((folder / it->path().filename()).generic_u8string());
      std::error_code removeError;
      if (fs::remove(it->path(), removeError)) {
        found.removed.push_back(relative);
      } else {
        found.kept.push_back(relative + ": " + removeError.message());
      }
    }
  }
  return found;
}

}  // namespace audit
