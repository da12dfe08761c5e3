#include "audit/apply_todo.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cstdio>
#include <optional>
#include <span>
#include <vector>

#include "audit/csv.h"
#include "audit/sha256.h"
#include "audit/terminal_text.h"
#include "audit/web_pages.h"
#include "host/error.h"
#include "pages/encoding.h"
#include "pages/page.h"
#include "pages/tag_lexer.h"

namespace audit {
namespace {

// Views into the list, which is held whole while it is applied.
struct Edit {
  std::size_t row;  // of the list, the header being 1, for messages
  std::string_view path, area, href, newAlt, sha256;
  bool suggested = false;  // newAlt is the row's suggested_alt
};

// A row that refuses its page whatever the page holds: its text has a
// control character, or it has no sha256 to tell the page it was made of.
struct UnfitRow {
  std::string_view path;
  std::size_t row;
  std::optional<char32_t> control;
  bool noSha256;  // else one that is no sha256

  std::string Why() const {
    const std::string where = "row " + std::to_string(row) + " of the list";
    if (control) {
      char name[16];
      std::snprintf(name, sizeof name, "U+%04X", static_cast<unsigned>(*control));
      return where + ": its new_alt holds the control character " + name;
    }
    return where + (noSha256 ? " has no sha256" : ": its sha256 is not 64 hexadecimal digits") +
           ": make the list again with --todo";
  }
};

bool IsSha256(std::string_view text) {
  const auto hex = [](char c) { return std::isxdigit(static_cast<unsigned char>(c)) != 0; };
  return text.size() == 64 && std::all_of(text.begin(), text.end(), hex);
}

struct Columns {
  std::size_t path, area, href, newAlt, sha256;
  std::optional<std::size_t> suggestedAlt;
};

// Beyond the header's columns a row may have a few of a spreadsheet's own;
// a list far wider than any of ours is refused before it takes memory.
constexpr std::size_t kMaxColumns = 1024, kExtraCells = 64;

Columns FindColumns(const std::vector<std::string_view>& header, bool acceptSuggestions) {
  const auto find = [&](std::string_view name) {
    const auto it = std::find(header.begin(), header.end(), name);
    if (it == header.end()) {
      throw host::Error(host::code::InvalidProcedureCall,
                        host::FromUtf8("the list has no column \"" + std::string(name) + "\""));
    }
    return static_cast<std::size_t>(it - header.begin());
  };
  return {find("path"), find("area"), find("href"), find("new_alt"), find("sha256"),
          acceptSuggestions ? std::optional(find("suggested_alt")) : std::nullopt};
}

[[noreturn]] void Unusable(std::size_t row, const std::string& why) {
  throw host::Error(host::code::InvalidProcedureCall,
                    host::FromUtf8("row " + std::to_string(row) + " of the list: " + why));
}

// A line break inside a cell comes back as CR LF from some editors and as
// CR from old Mac ones; an alt reads it as one line feed anyway.
std::string WithLineFeeds(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\r') {
      out += text[i];
    } else if (i + 1 >= text.size() || text[i + 1] != '\n') {
      out += '\n';
    }
  }
  return out;
}

bool IsBlank(std::string_view text) {
  return std::all_of(text.begin(), text.end(), [](char c) { return pages::IsHtmlSpace(c); });
}

// The first control character an author cannot have meant in an alt (tab
// and line breaks are text); HTML makes them parse errors.
std::optional<char32_t> ControlCharacter(std::string_view utf8) {
  for (std::size_t i = 0; i < utf8.size();) {
    const host::Utf8Step step = host::NextUtf8(utf8, i);
    i += step.length;
    const char32_t c = step.c;
    if ((c < 0x20 && c != '\t' && c != '\n' && c != '\r') || (c >= 0x7F && c <= 0x9F)) return c;
  }
  return std::nullopt;
}

std::optional<std::size_t> Index(std::string_view text) {
  std::size_t value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size() || text.empty()) return std::nullopt;
  return value;
}

// The area a row names, "01" as "1"; a cell that is no index sorts last.
std::pair<std::size_t, std::string_view> AreaKey(const Edit& edit) {
  if (const auto index = Index(edit.area)) return {*index, {}};
  return {static_cast<std::size_t>(-1), edit.area};
}

// Two rows that give one area different texts refuse the page; the same
// text twice is written once. `edits` are in the order of their areas, then
// of the list; returns how many are left.
std::size_t WithoutDuplicates(std::span<Edit> edits, std::optional<std::string>& refusal) {
  for (std::size_t i = 1; i < edits.size(); ++i) {
    const Edit& first = edits[i - 1];
    const Edit& again = edits[i];
    if (AreaKey(first) == AreaKey(again) && WithLineFeeds(first.newAlt) != WithLineFeeds(again.newAlt)) {
      refusal = "rows " + std::to_string(first.row) + " and " + std::to_string(again.row) + " of the list give area " +
                std::string(first.area) + " different texts";
      return 0;
    }
  }
  const auto same = [](const Edit& a, const Edit& b) { return AreaKey(a) == AreaKey(b); };
  return static_cast<std::size_t>(std::unique(edits.begin(), edits.end(), same) - edits.begin());
}

// Whether every row's text is already the alt of its area, linking where the
// row says: an earlier run wrote this page, whose sha256 has moved on since.
bool AlreadyWritten(const pages::Page& page, std::span<const Edit> edits) {
  return std::all_of(edits.begin(), edits.end(), [&](const Edit& edit) {
    const auto area = Index(edit.area);
    if (!area || *area >= page.AreaCount()) return false;
    const auto href = page.GetAttribute(*area, u"href");
    const auto alt = page.GetAttribute(*area, u"alt");
    return href && alt && host::ToUtf8(*href) == edit.href && *alt == host::FromUtf8(WithLineFeeds(edit.newAlt));
  });
}

// Writes the page's edits, or says why not and writes nothing.
std::optional<std::string> ApplyToPage(const std::string& web, const std::string& path, std::span<const Edit> edits,
                                       std::size_t& written, const PageSelection& selection) {
  const ListedPage listed = FindListedPage(web, path, selection);
  if (!listed.file) return listed.refusal;
  try {
    pages::Page page(*listed.file);
    const std::string sha256 = Sha256Hex(page.bytes());
    // Any letter case: Windows' Get-FileHash prints digests in capitals.
    const auto differs = [&](const Edit& e) {
      return !std::equal(e.sha256.begin(), e.sha256.end(), sha256.begin(), sha256.end(), [](char a, char b) {
        return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b));
      });
    };
    if (std::any_of(edits.begin(), edits.end(), differs)) {
      if (AlreadyWritten(page, edits)) return std::nullopt;  // nothing `written`
      return "the page has changed since the list was made (its sha256 differs)";
    }
    for (const Edit& edit : edits) {
      const auto area = Index(edit.area);
      if (!area || *area >= page.AreaCount()) {
        return "row " + std::to_string(edit.row) + " of the list names no area of it: \"" + std::string(edit.area) + "\"";
      }
      const auto href = page.GetAttribute(*area, u"href");
      const std::string now = href ? host::ToUtf8(*href) : std::string();
      if (!href || now != edit.href) {
        return "area " + std::string(edit.area) + " links to \"" + now + "\", the list says \"" + std::string(edit.href) + "\"";
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

ApplyCounts ApplyTodo(const std::string& web, std::string list, std::ostream& out, std::ostream& err,
                      bool acceptSuggestions, const PageSelection& selection) {
  CsvReader reader(list, CsvSeparator(list));
  std::vector<std::string_view> cells;
  if (!reader.Next(cells, kMaxColumns)) throw host::Error(host::code::InvalidProcedureCall, u"the list is empty");
  const Columns columns = FindColumns(cells, acceptSuggestions);
  const std::size_t width = cells.size();
  // For the word on rows left empty: how many have a suggestion to accept.
  const auto suggestedAt = static_cast<std::size_t>(std::find(cells.begin(), cells.end(), "suggested_alt") - cells.begin());
  std::size_t emptyRows = 0, emptyWithSuggestion = 0;
  // Every row is read and checked before any page is written. A row that
  // refuses its page is kept apart in fewer bytes: the rows kept take
  // memory in proportion to the list's own.
  std::vector<Edit> edits;
  std::vector<UnfitRow> unfit;
  std::vector<std::size_t> nulPaths;
  for (std::size_t row = 2; reader.Next(cells, width + kExtraCells); ++row) {
    if (cells.size() == 1 && cells.front().empty()) continue;  // a blank line
    cells.resize(std::max(cells.size(), width));
    // With --accept-suggestions an empty new_alt takes the suggestion, which
    // the list guards against formulas as it does the page's own cells.
    const bool suggested = cells[columns.newAlt].empty() && columns.suggestedAlt && !cells[*columns.suggestedAlt].empty();
    const std::string_view newAlt =
        suggested ? WithoutFormulaGuard(cells[*columns.suggestedAlt]) : cells[columns.newAlt];
    if (newAlt.empty()) {
      ++emptyRows;
      emptyWithSuggestion += suggestedAt < cells.size() && !cells[suggestedAt].empty();
      continue;
    }
    if (!pages::IsValidUtf8(newAlt)) {
      Unusable(row, "its new_alt is not UTF-8; save the list as \"CSV UTF-8\", or give --list-encoding windows-1252 "
                    "for a list in that encoding");
    }
    const Edit edit{row, WithoutFormulaGuard(cells[columns.path]), cells[columns.area],
                    WithoutFormulaGuard(cells[columns.href]), newAlt, cells[columns.sha256], suggested};
    if (edit.path.find('\0') != std::string_view::npos) {
      nulPaths.push_back(row);
    } else if (IsBlank(newAlt)) {
      err << ForTerminal(edit.path) << ": row " << row << " of the list skipped: its new_alt is only white space\n";
    } else if (const auto control = ControlCharacter(newAlt); control || !IsSha256(edit.sha256)) {
      if (unfit.empty() || unfit.back().path != edit.path) unfit.push_back({edit.path, row, control, edit.sha256.empty()});
    } else {
      edits.push_back(edit);
    }
  }
  const auto byPath = [](const auto& a, const auto& b) { return a.path < b.path; };
  std::stable_sort(unfit.begin(), unfit.end(), byPath);
  std::stable_sort(edits.begin(), edits.end(), [](const Edit& a, const Edit& b) {
    return a.path != b.path ? a.path < b.path : AreaKey(a) < AreaKey(b);
  });

  ApplyCounts counts;
  counts.empty = emptyRows;
  counts.emptyWithSuggestion = emptyWithSuggestion;
  for (const std::size_t row : nulPaths) {
    err << "row " << row << " of the list: refused, nothing written: its path holds a NUL character\n";
    ++counts.refused;
  }
  const auto report = [&](std::string_view path, const std::optional<std::string>& refusal, std::size_t written,
                          std::span<const Edit> kept) {
    if (refusal) {
      err << ForTerminal(path) << ": refused, nothing written: " << ForTerminal(*refusal) << "\n";
      ++counts.refused;
    } else if (written == 0) {
      out << ForTerminal(path) << ": already written: its areas carry the list's texts\n" << std::flush;
      ++counts.already;
    } else {
      out << ForTerminal(path) << ": wrote " << written << (written == 1 ? " alt text" : " alt texts");
      if (acceptSuggestions) {
        const auto suggested = std::count_if(kept.begin(), kept.end(), [](const Edit& e) { return e.suggested; });
        out << " (" << written - suggested << " new_alt, " << suggested << " suggested_alt)";
      }
      // Flushed page by page: a run cut short has told of every page it wrote.
      out << "\n" << std::flush;
      counts.texts += written;
      ++counts.pages;
    }
  };
  // Pages in the order of their paths, from the rows kept and the unfit ones.
  auto edit = edits.begin();
  auto bad = unfit.begin();
  while (edit != edits.end() || bad != unfit.end()) {
    const bool fromEdits = bad == unfit.end() || (edit != edits.end() && edit->path < bad->path);
    const std::string_view path = fromEdits ? edit->path : bad->path;
    auto end = edit;
    while (end != edits.end() && end->path == path) ++end;
    if (bad != unfit.end() && bad->path == path) {
      report(path, bad->Why(), 0, {});
      while (bad != unfit.end() && bad->path == path) ++bad;
    } else {
      std::optional<std::string> refusal;
      const std::size_t left = WithoutDuplicates(std::span<Edit>(edit, end), refusal);
      std::size_t written = 0;
      const std::span<const Edit> kept(edit, edit + static_cast<std::ptrdiff_t>(left));
      if (!refusal) refusal = ApplyToPage(web, std::string(path), kept, written, selection);
      report(path, refusal, written, kept);
    }
    edit = end;
  }
  return counts;
}

}  // namespace audit
