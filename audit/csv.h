#pragma once
// Comma-separated values as RFC 4180 has them, and as spreadsheet programs
// save them: a UTF-8 byte-order mark or none, CRLF or LF line ends, and ';'
// between fields where the locale uses the comma in numbers.
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace audit {

using CsvRow = std::vector<std::string>;

// One record with its line end (CRLF); fields are quoted only where they
// hold a comma, a quote or a line break.
std::string CsvRecord(const CsvRow& fields);

// The separator the first line uses: ';' when it holds one and no comma.
char CsvSeparator(std::string_view text);

// Reads the records of `text` one at a time. A quoted field's doubled quotes
// are undone in the text itself, so that every field is a view into it and
// a list of any size takes no memory beyond its own.
class CsvReader {
 public:
  // `text` outlives the reader and the fields it gives; a leading UTF-8
  // byte-order mark is skipped.
  CsvReader(std::string& text, char separator);

  // The next record's fields (a blank line is one empty field); false at the
  // end. Throws host::Error naming the line of a quote that is never closed,
  // of text that follows a closing quote, or of a record with more than
  // `maxFields` fields.
  bool Next(std::vector<std::string_view>& fields, std::size_t maxFields);

  // The line the record last read begins on.
  std::size_t line() const { return line_; }

 private:
  [[noreturn]] void Fail(std::size_t line, const std::string& what) const;

  std::string& text_;
  char separator_;
  std::size_t at_ = 0, line_ = 1, nextLine_ = 1;
};

// Every record of `text`, with the separator its first line uses.
std::vector<CsvRow> ParseCsv(std::string_view text);

// A cell taken from a page or a file name that a spreadsheet would run as a
// formula (it begins with =, +, -, @, a tab or a CR) gets a leading ', as
// does one that begins with ' itself, so that taking the ' off again gives
// back exactly the text.
std::string FormulaInert(std::string cell);
std::string_view WithoutFormulaGuard(std::string_view cell);

}  // namespace audit
