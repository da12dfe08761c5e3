#include "audit/apply_todo.h"

#include <algorithm>
#include <charconv>
#include <map>
#include <optional>
#include <vector>

#include "audit/csv.h"
#include "audit/sha256.h"
#include "host/error.h"
#include "pages/page.h"
#include "pages/page_file.h"

namespace audit {
namespace {

struct Edit {
  std::size_t row;  // of the list, the header being 1, for messages
  std::string area, href, newAlt, sha256;
};

struct Columns {
  std::size_t path, area, href, newAlt, sha256;
};

Columns FindColumns(const CsvRow& header) {
  const auto find = [&](const std::string& name) {
    const auto it = std::find(header.begin(), header.end(), name);
    if (it == header.end()) {
      throw host::Error(host::code::InvalidProcedureCall, host::FromUtf8("the list has no column \"" + name + "\""));
    }
    return static_cast<std::size_t>(it - header.begin());
  };
  return {find("path"), find("area"), find("href"), find("new_alt"), find("sha256")};
}

// A line break inside a cell comes back as CR LF from some editors; an alt
// reads it as one line feed anyway.
std::string WithLineFeeds(std::string text) {
  for (std::size_t at = text.find("\r\n"); at != std::string::npos; at = text.find("\r\n", at)) text.erase(at, 1);
  return text;
}

std::optional<std::size_t> Index(const std::string& text) {
  std::size_t value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size() || text.empty()) return std::nullopt;
  return value;
}

// Writes the page's edits, or says why not and writes nothing.
std::optional<std::string> ApplyToPage(const std::string& web, const std::string& path, const std::vector<Edit>& edits,
                                       std::size_t& written) {
  const auto file = pages::FileInFolder(web, path);
  if (!file) return "the path leads out of the web";
  try {
    pages::Page page(*file);
    const std::string sha256 = Sha256Hex(page.bytes());
    if (std::any_of(edits.begin(), edits.end(), [&](const Edit& e) { return e.sha256 != sha256; })) {
      return "the page has changed since the list was made (its sha256 differs)";
    }
    for (const Edit& edit : edits) {
      const auto area = Index(edit.area);
      if (!area || *area >= page.AreaCount()) {
        return "row " + std::to_string(edit.row) + " of the list names no area of it: \"" + edit.area + "\"";
      }
      const auto href = page.GetAttribute(*area, u"href");
      const std::string now = href ? host::ToUtf8(*href) : std::string();
      if (!href || now != edit.href) {
        return "area " + edit.area + " links to \"" + now + "\", the list says \"" + edit.href + "\"";
      }
      page.SetAttribute(*area, u"alt", host::FromUtf8(WithLineFeeds(edit.newAlt)));
    }
    // Refused if another program wrote the page since it was read.
    page.SaveIfUnchanged();
  } catch (const host::Error& e) {
    return host::ToUtf8(e.description());
  }
  written = edits.size();
  return std::nullopt;
}

}  // namespace

ApplyCounts ApplyTodo(const std::string& web, std::string_view list, std::ostream& out, std::ostream& err) {
  const std::vector<CsvRow> rows = ParseCsv(list);
  if (rows.empty()) throw host::Error(host::code::InvalidProcedureCall, u"the list is empty");
  const Columns columns = FindColumns(rows.front());
  std::map<std::string, std::vector<Edit>> byPage;
  for (std::size_t r = 1; r < rows.size(); ++r) {
    CsvRow row = rows[r];
    if (row.size() == 1 && row.front().empty()) continue;  // a blank line
    row.resize(std::max(row.size(), rows.front().size()));
    if (row[columns.newAlt].empty()) continue;
    byPage[row[columns.path]].push_back(
        {r + 1, row[columns.area], row[columns.href], row[columns.newAlt], row[columns.sha256]});
  }
  ApplyCounts counts;
  for (const auto& [path, edits] : byPage) {
    std::size_t written = 0;
    if (const auto refusal = ApplyToPage(web, path, edits, written)) {
      err << path << ": refused, nothing written: " << *refusal << "\n";
      ++counts.refused;
    } else {
      out << path << ": wrote " << written << (written == 1 ? " alt text" : " alt texts") << "\n";
      counts.texts += written;
      ++counts.pages;
    }
  }
  return counts;
}

}  // namespace audit
