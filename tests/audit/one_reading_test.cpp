// Pages of every shape where two readings of a page could part: the JSON
// findings, the to-do rows and the report's rows name the same areas, and
// --apply writes each row's text on the area that row names.
#include <gtest/gtest.h>

#include <algorithm>
#include <nlohmann/json.hpp>
#include <string>
#include <utility>
#include <vector>

#include "audit/csv.h"
#include "audit_run.h"
#include "tests/html/page_test_support.h"

namespace {

using Rows = std::vector<std::pair<std::string, std::string>>;  // (area index, href)

// The report's data, as its script reads it.
nlohmann::json ReportData(const std::string& html) {
  const std::string open = "<script type=\"application/json\" id=\"report-data\">";
  const std::size_t from = html.find(open);
  if (from == std::string::npos) return {};
  const std::size_t begin = from + open.size();
  return nlohmann::json::parse(html.substr(begin, html.find("</script>", begin) - begin));
}

TEST(OneReading, EveryOutputNamesTheSameAreas) {
  const struct {
    const char* what;
    std::string page;
    std::vector<std::string> hrefs;  // of the rows, in document order
  } cases[] = {
      {"an area inside SVG before the map",
       "<svg><a><area href=svg-only.htm></a></svg><img usemap=#m src=i.gif>"
       "<map name=m><area href=first.htm><area href=second.htm alt=''><area href=third.htm></map>",
       {"first.htm", "second.htm", "third.htm"}},
      {"areas inside MathML and SVG in and after a map",
       "<map name=m><area href=a.htm><svg><area href=in-svg.htm></svg><area href=b.htm></map>"
       "<math><area href=in-math.htm></math><map name=n><area href=c.htm></map>",
       {"a.htm", "b.htm", "c.htm"}},
      {"template contents and noscript",
       "<map name=m><template><area href=t.htm></template><noscript><area href=n.htm></noscript>"
       "<area href=a.htm></map>",
       {"n.htm", "a.htm"}},
      {"raw text, comments and a textarea hold no areas",
       "<script>'<map name=x><area href=s.htm></map>'</script><!-- <area href=c.htm> -->"
       "<map name=m><textarea><area href=t.htm></textarea><area href=a.htm alt=' '></map>",
       {"a.htm"}},
      {"maps inside tables, one moved out by the parser",
       "<table><tr><td><map name=m><area href=a.htm></map></td></tr></table>"
       "<table><map name=n><area href=b.htm></map><tr><td>x</td></tr></table>",
       {"a.htm", "b.htm"}},
      {"nested maps", "<map name=outer><area href=o1.htm><map name=inner><area href=i1.htm></map><area href=o2.htm></map>",
       {"o1.htm", "i1.htm", "o2.htm"}},
      {"a map with only an id, and an area in no map", "<area href=stray.htm><img usemap=#mb src=i.gif><map id=mb><area href=a.htm></map>",
       {"a.htm"}},
      {"several maps per image, several images per map, the image after its map",
       "<map name=m><area href=a.htm></map><img usemap=#m src=i.gif><img usemap=#m src=j.gif>"
       "<map name=m><area href=b.htm></map><map name=n><area href=c.htm alt=Fine><area href=d.htm></map>",
       {"a.htm", "b.htm", "d.htm"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    ScratchFolder web, out;
    web.Write("p.htm", c.page);
    const std::string todo = (out.path() / "todo.csv").string(), report = (out.path() / "report.html").string();
    const AuditRun json = RunAuditOn({"--json", web.path().string()});
    ASSERT_EQ(RunAuditOn({"--todo", todo, "--report", report, web.path().string()}).status, 1);

    Rows fromJson, fromTodo, fromReport;
    for (const auto& finding : nlohmann::json::parse(json.out)) {
      if (finding["rule"] != "alt-without-href") fromJson.emplace_back(std::to_string(finding["area"].get<int>()), finding["href"]);
    }
    std::vector<audit::CsvRow> rows = audit::ParseCsv(ReadBytes(todo));
    for (std::size_t r = 1; r < rows.size(); ++r) fromTodo.emplace_back(rows[r][4], rows[r][5]);
    const nlohmann::json data = ReportData(ReadBytes(report));
    for (const auto& page : data["pages"]) {
      for (const auto& map : page["maps"]) {
        for (const auto& area : map["areas"]) {
          if (!area["csv"].is_null()) fromReport.emplace_back(std::to_string(area["index"].get<int>()), area["href"]);
        }
      }
    }
    // The report lists its rows map by map; the area index says which is which.
    std::stable_sort(fromReport.begin(), fromReport.end(),
                     [](const auto& a, const auto& b) { return std::stoi(a.first) < std::stoi(b.first); });
    std::vector<std::string> hrefs;
    for (const auto& [area, href] : fromTodo) hrefs.push_back(href);
    EXPECT_EQ(hrefs, c.hrefs);
    EXPECT_EQ(fromJson, fromTodo);
    EXPECT_EQ(fromReport, fromTodo);

    // Each row's text, naming its href, lands on the area of that href.
    for (std::size_t r = 1; r < rows.size(); ++r) rows[r][7] = "Text for " + rows[r][5];
    std::string filled;
    for (const auto& row : rows) filled += audit::CsvRecord(row);
    out.Write("filled.csv", filled);
    ASSERT_EQ(RunAuditOn({"--apply", (out.path() / "filled.csv").string(), web.path().string()}).status, 0);
    const pages::Page written((web.path() / "p.htm").string());
    for (const auto& [area, href] : fromTodo) {
      const std::size_t index = std::stoul(area);
      ASSERT_LT(index, written.AreaCount());
      EXPECT_EQ(host::ToUtf8(written.GetAttribute(index, u"href").value_or(u"")), href);
      EXPECT_EQ(host::ToUtf8(written.GetAttribute(index, u"alt").value_or(u"")), "Text for " + href);
    }
  }
}

}  // namespace
