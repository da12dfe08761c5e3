#pragma once
// Comma-separated values as RFC 4180 has them, and as spreadsheet programs
// save them: a UTF-8 byte-order mark or none, CRLF or LF line ends.
#include <string>
#include <string_view>
#include <vector>

namespace audit {

using CsvRow = std::vector<std::string>;

// One record with its line end (CRLF); fields are quoted only where they
// hold a comma, a quote or a line break.
std::string CsvRecord(const CsvRow& fields);

// Every record of `text`. Throws host::Error naming the line of a quote
// that is never closed or that a field's text follows.
std::vector<CsvRow> ParseCsv(std::string_view text);

}  // namespace audit
