#pragma once
// The report page: one HTML file, self-contained, that draws each image
// map's areas over its image, lists them with a text box each, and saves
// the boxes as a to-do list.
#include <array>
#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>

#include "audit/page_audit.h"
#include "audit/page_reading.h"

namespace audit {

// Throws host::Error when `file` is there and is no report page this tool
// wrote: a page of the author's must never be written over by a report.
void CheckReportFile(const std::string& file);

// The report of the web `web` (as the user named it) to be written to
// `file`, from the pages' readings: nothing is read again.
class ReportPageWriter {
 public:
  ReportPageWriter(const std::string& file, const std::string& web);

  // Pages go in in path order. `audit` is the page's, with its findings'
  // suggestions filled in; a page with findings comes with the facts of its
  // reading and its sha256.
  void AddPage(const std::string& path, const PageReading& reading, const PageAudit& audit, const std::string& sha256);
  void AddUnreadable() { ++totals_.unreadable; }

  // Writes the page to `file` all at once, after CheckReportFile. Throws
  // host::Error when it cannot be written.
  void Write(const std::string& file) const;

 private:
  struct Totals {
    std::size_t pages = 0, unreadable = 0, areas = 0, rows = 0, suggested = 0;
    std::array<std::size_t, 3> perRule{};
  };

  std::string Html() const;
  // The to-do row's CSV around its new_alt cell, as --todo writes it.
  static std::string RowPieces(const std::string& path, const Finding& finding, const std::string& sha256);
  std::string AreaJson(const std::string& path, const ReadArea& area, std::size_t index, std::size_t number,
                       const Finding* finding, const std::string& sha256) const;
  // Where the report links an href to: a file of the web relative to the
  // report, a web address or mail as written; nothing for other schemes
  // (a "javascript:" href must not become a link in the report).
  std::optional<std::string> LinkUrl(const std::string& path, const std::string& href) const;
  // The image that uses the map, its address from the report and the size
  // the page shows it at; or why there is none to show.
  std::string ImageJson(const std::string& path, const PageReading& reading, const std::optional<host::Text>& map) const;

  std::string web_;
  std::filesystem::path reportFolder_, webFolder_;
  Totals totals_;
  std::string data_;
  std::size_t pagesWritten_ = 0;
};

}  // namespace audit
