#pragma once
// The page files of a web folder, as the audit reads them.
#include <string>
#include <vector>

namespace audit {

struct WebPages {
  std::vector<std::string> pages;     // paths relative to the web, with '/', sorted
  std::vector<std::string> problems;  // folders that could not be read, with the reason
};

// Every .htm, .html, .shtml and .asp file (in any letter case) under `web`,
// recursively, leaving out hidden folders and the host's _vti_* metadata
// folders, whose text files name pages without being pages.
WebPages ListWebPages(const std::string& web);

// Whether a file of that name (UTF-8) would be read as a page.
bool IsPageName(const std::string& path);

}  // namespace audit
