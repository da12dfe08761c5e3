#include "audit/csv.h"

#include "host/error.h"

namespace audit {

std::string CsvRecord(const CsvRow& fields) {
  std::string out;
  for (std::size_t i = 0; i < fields.size(); ++i) {
    if (i > 0) out += ',';
    const std::string& field = fields[i];
    if (field.find_first_of(",\"\r\n") == std::string::npos) {
      out += field;
      continue;
    }
    out += '"';
    for (const char c : field) {
      if (c == '"') out += '"';
      out += c;
    }
    out += '"';
  }
  out += "\r\n";
  return out;
}

std::vector<CsvRow> ParseCsv(std::string_view text) {
  if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
  std::vector<CsvRow> rows;
  CsvRow row;
  std::string field;
  std::size_t line = 1;
  const auto fail = [&](const char* what) {
    throw host::Error(host::code::InvalidProcedureCall,
                      host::FromUtf8("line " + std::to_string(line) + " of the list: " + what));
  };
  std::size_t i = 0;
  while (i < text.size()) {
    if (text[i] == '"' && field.empty()) {
      const std::size_t opened = line;
      for (++i;; ++i) {
        if (i >= text.size()) {
          line = opened;
          fail("a quoted field is never closed");
        }
        if (text[i] == '"') {
          if (i + 1 < text.size() && text[i + 1] == '"') {
            field += '"';
            ++i;
            continue;
          }
          ++i;
          break;
        }
        if (text[i] == '\n') ++line;
        field += text[i];
      }
      if (i < text.size() && text[i] != ',' && text[i] != '\r' && text[i] != '\n') fail("text follows a closing quote");
      continue;
    }
    const char c = text[i];
    if (c == ',') {
      row.push_back(std::move(field));
      field.clear();
      ++i;
    } else if (c == '\r' || c == '\n') {
      i += c == '\r' && i + 1 < text.size() && text[i + 1] == '\n' ? 2 : 1;
      row.push_back(std::move(field));
      field.clear();
      rows.push_back(std::move(row));
      row.clear();
      ++line;
    } else {
      field += c;
      ++i;
    }
  }
  if (!field.empty() || !row.empty()) {
    row.push_back(std::move(field));
    rows.push_back(std::move(row));
  }
  return rows;
}

}  // namespace audit
