#pragma once
// The page files of a web folder, as the audit reads them and as --apply
// may write them.
#include <optional>
#include <string>
#include <vector>

#include "audit/page_selection.h"

namespace audit {

// Something the listing left out, with the reason as one message, e.g.
// "b.htm is the same file as a.htm; audited once".
struct WebNote {
  enum Kind {
    Skipped,         // left out on purpose: a link to a folder, a second path to a page
    PageUnreadable,  // a page that could not be checked
    FolderUnlisted,  // a folder whose files could not be listed
  };
  Kind kind;
  std::string path;  // relative to the web, for the order of the messages
  std::string message;
};

struct WebPages {
  std::vector<std::string> pages;  // paths relative to the web, with '/', sorted
  std::vector<WebNote> notes;      // in path order
  std::size_t otherPages = 0;      // files of a kind of page the selection does not read
};

// Every page under `web` as the selection picks them (by default every
// .htm, .html, .shtml and .asp file, in any letter case), recursively,
// leaving out what it excludes, hidden folders and the host's _vti_* metadata
// folders, whose text files name pages without being pages. Links to
// folders are not followed; a file reached by more than one path (a link, a
// hard link) is listed once, under its first path in sorted order; a file
// link that leads out of the web is left out.
WebPages ListWebPages(const std::string& web, const PageSelection& selection = {});

// The file (web + "/" + relative) when the listing would list `relative`
// (UTF-8, with '/'): a page's name, in no hidden or _vti_* folder, reached
// through no folder link, and lying, after every link, inside the web as a
// regular file. A file that does not exist is passed on for its reader to
// report. Otherwise why not; `unreadable` when the reason is the system's
// failure to look rather than a rule.
struct ListedPage {
  std::optional<std::string> file;
  std::string refusal;
  bool unreadable = false;
};
ListedPage FindListedPage(const std::string& web, const std::string& relative, const PageSelection& selection = {});

// Whether a file of that name (UTF-8) is a page of some kind, read by
// default or not (.php, .aspx ...): a list is never written over one.
bool IsPageName(const std::string& path);

}  // namespace audit
