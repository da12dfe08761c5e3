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

char CsvSeparator(std::string_view text) {
  const std::string_view first = text.substr(0, text.find_first_of("\r\n"));
  return first.find(';') != std::string_view::npos && first.find(',') == std::string_view::npos ? ';' : ',';
}

CsvReader::CsvReader(std::string& text, char separator) : text_(text), separator_(separator) {
  if (std::string_view(text_).starts_with("\xEF\xBB\xBF")) at_ = 3;
}

void CsvReader::Fail(std::size_t line, const std::string& what) const {
  throw host::Error(host::code::InvalidProcedureCall,
                    host::FromUtf8("line " + std::to_string(line) + " of the list: " + what));
}

bool CsvReader::Next(std::vector<std::string_view>& fields, std::size_t maxFields) {
  fields.clear();
  line_ = nextLine_;
  char* const data = text_.data();
  const std::size_t size = text_.size();
  if (at_ >= size) return false;
  const auto isEnd = [&](char c) { return c == separator_ || c == '\r' || c == '\n'; };
  const auto add = [&](std::size_t begin, std::size_t end) {
    if (fields.size() == maxFields) Fail(line_, "the record has more than " + std::to_string(maxFields) + " fields");
    fields.emplace_back(data + begin, end - begin);
  };
  for (;;) {
    const std::size_t begin = at_;
    std::size_t end = at_;
    if (data[at_] == '"') {
      // Unquoted in place: the text moves down over the opening quote.
      const std::size_t opened = nextLine_;
      for (++at_;; ++at_) {
        if (at_ >= size) Fail(opened, "a quoted field is never closed");
        const char c = data[at_];
        if (c == '"') {
          if (at_ + 1 < size && data[at_ + 1] == '"') {
            data[end++] = '"';
            ++at_;
            continue;
          }
          ++at_;
          break;
        }
        if (c == '\n') ++nextLine_;
        data[end++] = c;
      }
      if (at_ < size && !isEnd(data[at_])) Fail(nextLine_, "text follows a closing quote");
    } else {
      while (at_ < size && !isEnd(data[at_])) ++at_;
      end = at_;
    }
    add(begin, end);
    if (at_ >= size) return true;
    if (data[at_] != separator_) {
      at_ += data[at_] == '\r' && at_ + 1 < size && data[at_ + 1] == '\n' ? 2 : 1;
      ++nextLine_;
      return true;
    }
    // After a separator there is one more field, if only an empty one at the end.
    if (++at_ >= size) {
      add(at_, at_);
      return true;
    }
  }
}

std::vector<CsvRow> ParseCsv(std::string_view text) {
  std::string copy(text);
  CsvReader reader(copy, CsvSeparator(text));
  std::vector<CsvRow> rows;
  std::vector<std::string_view> fields;
  while (reader.Next(fields, std::string::npos)) rows.emplace_back(fields.begin(), fields.end());
  return rows;
}

std::string FormulaInert(std::string cell) {
  if (!cell.empty() && std::string_view("=+-@\t\r'").find(cell.front()) != std::string_view::npos) cell.insert(0, 1, '\'');
  return cell;
}

std::string_view WithoutFormulaGuard(std::string_view cell) {
  if (cell.starts_with('\'')) cell.remove_prefix(1);
  return cell;
}

}  // namespace audit
