#pragma once
// The audit's findings as the author reads them: one line each, or one JSON
// array, and the to-do list's rows.
#include <string>
#include <vector>

#include "audit/csv.h"
#include "audit/page_audit.h"

namespace audit {

// PATH:LINE:COL: RULE: MESSAGE, with control characters escaped (ForTerminal).
std::string FindingLine(const std::string& path, const Finding& finding);
// The MESSAGE alone.
std::string FindingMessage(const Finding& finding);

// UTF-8 text as a JSON string, in its quotes.
std::string JsonQuoted(const std::string& text);

// One element of the JSON array, without the separating comma.
std::string FindingJson(const std::string& path, const Finding& finding);

// The to-do list's header and the row of a missing-alt or empty-alt finding,
// its cells from the page or the file name kept from running as formulas.
extern const CsvRow kTodoHeader;
CsvRow TodoRow(const std::string& path, const Finding& finding, const std::string& sha256);

}  // namespace audit
