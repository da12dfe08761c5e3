// The list's format both ways: what we write reads back, and what
// spreadsheet programs save reads as they meant it.
#include <gtest/gtest.h>

#include "audit/csv.h"
#include "host/error.h"

namespace {

using audit::CsvRecord;
using audit::CsvRow;
using audit::ParseCsv;

TEST(Csv, RecordsQuoteOnlyWhatNeedsIt) {
  const struct {
    CsvRow fields;
    std::string record;
  } cases[] = {
      {{"a", "b"}, "a,b\r\n"},
      {{"", ""}, ",\r\n"},
      {{"x,y"}, "\"x,y\"\r\n"},
      {{"say \"hi\""}, "\"say \"\"hi\"\"\"\r\n"},
      {{"two\nlines", "cr\rhere"}, "\"two\nlines\",\"cr\rhere\"\r\n"},
      {{"caf\xC3\xA9 \xE2\x82\xAC"}, "caf\xC3\xA9 \xE2\x82\xAC\r\n"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(CsvRecord(c.fields), c.record);
    EXPECT_EQ(ParseCsv(c.record), std::vector<CsvRow>{c.fields}) << c.record;
  }
}

TEST(Csv, ReadsWhatSpreadsheetsSave) {
  const struct {
    std::string text;
    std::vector<CsvRow> rows;
  } cases[] = {
      {"\xEF\xBB\xBFpath,alt\r\np.htm,\"a, b\"\r\n", {{"path", "alt"}, {"p.htm", "a, b"}}},
      {"path,alt\np.htm,x\n", {{"path", "alt"}, {"p.htm", "x"}}},
      {"path,alt\np.htm,x", {{"path", "alt"}, {"p.htm", "x"}}},
      {"a,\"line\r\nbreak\",c\r\n", {{"a", "line\r\nbreak", "c"}}},
      {"a,\"\"\r\n,\r\n", {{"a", ""}, {"", ""}}},
      {"\"\"\"\",b\n", {{"\"", "b"}}},
      // As spreadsheets save it where the comma is the decimal mark.
      {"path;alt\r\np.htm;\"a; b\"\r\nq,1.htm;2,5\r\n", {{"path", "alt"}, {"p.htm", "a; b"}, {"q,1.htm", "2,5"}}},
      {"path,alt;x\np;q,r\n", {{"path", "alt;x"}, {"p;q", "r"}}},
  };
  for (const auto& c : cases) EXPECT_EQ(ParseCsv(c.text), c.rows) << c.text;
}

TEST(Csv, MalformedQuotesNameTheirLine) {
  const struct {
    std::string text;
    std::string message;
  } cases[] = {
      {"a,b\n\"open\nnever closed\n", "line 2 of the list: a quoted field is never closed"},
      {"a\nb\n\"x\"y,z\n", "line 3 of the list: text follows a closing quote"},
  };
  for (const auto& c : cases) {
    try {
      ParseCsv(c.text);
      ADD_FAILURE() << "accepted: " << c.text;
    } catch (const host::Error& e) {
      EXPECT_EQ(host::ToUtf8(e.description()), c.message);
    }
  }
}

TEST(Csv, FormulaGuardComesOffExactly) {
  const struct {
    std::string cell, written;
  } cases[] = {
      {"=HYPERLINK(\"http://x\")", "'=HYPERLINK(\"http://x\")"},
      {"+cmd|' /C calc'!A0", "'+cmd|' /C calc'!A0"},
      {"-2+3", "'-2+3"},
      {"@SUM(A1)", "'@SUM(A1)"},
      {"\tx", "'\tx"},
      {"\rx", "'\rx"},
      {"'quoted.htm", "''quoted.htm"},
      {"''", "'''"},
      {"a=b.htm", "a=b.htm"},
      {"", ""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(audit::FormulaInert(c.cell), c.written);
    EXPECT_EQ(audit::WithoutFormulaGuard(c.written), c.cell);
  }
}

}  // namespace
