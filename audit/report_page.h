#pragma once
// The report page: one HTML file, self-contained, that draws each image
// map's areas over its image, lists them with a text box each, prefilled
// with a suggested text, and saves the boxes as a to-do list.
#include <string>
#include <vector>

#include "audit/page_audit.h"
#include "audit/suggestions.h"

namespace audit {

// Throws host::Error when `file` is there and is no report page this tool
// wrote: a page of the author's must never be written over by a report.
void CheckReportFile(const std::string& file);

// Reads the pages (relative to `web`, in path order) again and writes the
// page to `file`, all at once, after CheckReportFile. Throws host::Error when it cannot be written.
void WriteReportPage(const std::string& file, const std::string& web, const std::vector<std::string>& pages,
                     const AuditOptions& options, const Suggestions& suggestions);

}  // namespace audit
