#pragma once
// The audit's findings as the author reads them: one line each, or one JSON
// array, and the to-do list's rows.
#include <string>
#include <string_view>
#include <vector>

#include "audit/csv.h"
#include "audit/page_audit.h"

namespace audit {

// PATH:LINE:COL: RULE: MESSAGE, with control characters escaped (ForTerminal).
std::string FindingLine(const std::string& path, const Finding& finding);
// The MESSAGE alone.
std::string FindingMessage(const Finding& finding);

// UTF-8 text as a JSON string for the report page's script, in its quotes,
// valid whatever the text holds: control characters (also DEL and the C1
// controls) as \u escapes, a malformed UTF-8 sequence as U+FFFD, and fit to
// sit inside a <script> element, where nothing may end the element or open a
// comment, nor end a line for older parsers (<, >, &, U+2028, U+2029 as \u
// escapes). JSON and SARIF output are nlohmann-json's (JsonText).
std::string JsonQuoted(std::string_view text);
// The same onto the end of `out`.
void AppendJsonQuoted(std::string& out, std::string_view text);

// One element of the JSON array, without the separating comma.
// `severity` as the rule's setting gives it ("error", "warning").
std::string FindingJson(const std::string& path, const Finding& finding, std::string_view severity = "error");

// The to-do list's header and the row of a missing-alt or empty-alt finding,
// its cells from the page or the file name kept from running as formulas.
extern const CsvRow kTodoHeader;
CsvRow TodoRow(const std::string& path, const Finding& finding, const std::string& sha256);

}  // namespace audit
