#pragma once
// The report page: one HTML file, self-contained, that draws each image
// map's areas over its image, lists them with a text box each, and saves
// the boxes as a to-do list.
#include <array>
#include <cstddef>
#include <filesystem>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "audit/image_size.h"
#include "audit/page_audit.h"
#include "audit/page_reading.h"
#include "audit/sha256.h"
#include "pages/page_file.h"

namespace audit {

// Throws host::Error when `file` is there and is no report page this tool
// wrote: a page of the author's must never be written over by a report.
void CheckReportFile(const std::string& file);

// The report of the web `web` (as the user named it) to be written to
// `file`, from the pages' readings: nothing is read again.
class ReportPageWriter {
 public:
  ReportPageWriter(const std::string& file, const std::string& web);

  // A page's part of the report, made from its reading before the web's
  // suggestions are known: the text around each row's suggestion.
  struct PageDraft {
    std::vector<std::string> pieces;  // one more than the rows; none for a page without findings
    std::vector<std::size_t> rows;    // each gap's finding, an index into the page's findings
  };
  // Safe to call on several threads at once, as is PageData.
  PageDraft Draft(const std::string& path, const PageReading& reading, const PageAudit& audit) const;
  // The page's part with its findings' suggestions filled in; `sha256` is
  // the page's, for the rows of its to-do list.
  std::string PageData(const std::string& path, const PageDraft& draft, const PageAudit& audit,
                       const std::string& sha256) const;
  // Pages go in in path order, each with its PageData.
  void AddPage(const PageAudit& audit, std::string_view data);
  void AddUnreadable() { ++totals_.unreadable; }

  // Writes the page to `file`, after CheckReportFile: the pages that
  // `addPages` adds go out as they come, the summary after them, and the
  // file replaces the old one at the end. Throws host::Error when it cannot
  // be written, and leaves the old file as it was.
  void Write(const std::string& file, const std::function<void()>& addPages);

 private:
  struct Totals {
    std::size_t pages = 0, unreadable = 0, areas = 0, rows = 0, suggested = 0;
    std::array<std::size_t, kRuleCount> perRule{};
  };

  // The to-do row's CSV around its new_alt cell, as --todo writes it.
  static std::string RowPieces(const std::string& path, const Finding& finding, const std::string& sha256);
  // The area's part up to its finding, without its closing brace, onto `json`.
  void AppendAreaJson(std::string& json, const std::string& path, const ReadArea& area, std::size_t index,
                      std::size_t number, const Finding* finding) const;
  // Where the report links an href to: a file of the web relative to the
  // report, a web address or mail as written; nothing for other schemes
  // (a "javascript:" href must not become a link in the report).
  // A file of the web (relative to it, with '/') as a URL from the report.
  std::string WebFileUrl(std::string_view file) const;
  std::optional<std::string> LinkUrl(const std::string& path, std::u16string_view href) const;
  // The image that uses the map, its address from the report and the size
  // the page shows it at; or why there is none to show.
  std::string ImageJson(const std::string& path, const PageReading& reading, std::size_t map) const;
  // Whether an image file is there and its size, looked at once per run:
  // the pages of a web share their images.
  struct ImageFile {
    bool present = false;
    std::optional<ImageSize> size;
  };
  ImageFile LookAtImage(const std::string& file) const;
  // What is made and not yet written: a part at a time goes out, so that a
  // big report is never held whole.
  void WriteOut();
  // The summary and the id after the pages, and the rest of the page.
  void Finish();

  std::string web_;
  std::filesystem::path reportFolder_, webFolder_;
  std::string webUrl_;  // the web's folder as a URL from the report
  std::string reportPath_, webName_;  // the report's path from the web, the web's folder's name
  Totals totals_;
  std::string html_;           // the page as far as it is made and not yet written
  std::size_t hashFrom_ = 0;   // where in html_ the data the id is a digest of begins
  std::size_t pagesShown_ = 0;
  mutable std::mutex imagesMutex_;
  mutable std::unordered_map<std::string, ImageFile> images_;
  const pages::ContentSink* sink_ = nullptr;  // while Write writes
  Sha256* id_ = nullptr;                      // the digest of the data written so far
};

}  // namespace audit
