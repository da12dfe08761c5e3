#include "audit/todo_file.h"

#include "audit/whole_file.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <vector>

#include "audit/csv.h"
#include "audit/report.h"
#include "audit/web_pages.h"
#include "host/error.h"
#include "pages/page_file.h"

namespace audit {
namespace {

namespace fs = std::filesystem;

const std::string kCannotSave = "Cannot save the list";

[[noreturn]] void Refuse(const std::string& path, const std::string& why) {
  throw host::Error(pages::code::PathFileAccess, host::FromUtf8(kCannotSave + " \"" + path + "\": " + why));
}

// Why the file must not be overwritten: it is no to-do list this tool
// wrote (its first line, as a spreadsheet may have saved it again, is not the
// list's header), or an author has typed texts into it. Empty when it may.
std::string Unreplaceable(const std::string& file) {
  std::string text;
  try {
    text = ReadListFile(file);
  } catch (const host::Error&) {
    return "it cannot be read to tell whether it is a to-do list";
  }
  const std::string notList = "the file is there and is no to-do list (its first line is not the list's header)";
  std::vector<std::string_view> cells;
  try {
    CsvReader reader(text, CsvSeparator(text));
    if (!reader.Next(cells, kTodoHeader.size() * 4)) return notList;
    // The columns of every list this tool has written, also of those from
    // before the suggestions.
    for (const std::string_view column : {"path", "line", "column", "map", "area", "href", "alt", "new_alt", "sha256"}) {
      if (std::find(cells.begin(), cells.end(), column) == cells.end()) return notList;
    }
    const auto newAlt = static_cast<std::size_t>(std::find(cells.begin(), cells.end(), "new_alt") - cells.begin());
    const std::size_t width = cells.size();
    while (reader.Next(cells, width * 4)) {
      if (newAlt < cells.size() && !cells[newAlt].empty()) return "it holds texts typed into its new_alt column";
    }
  } catch (const host::Error&) {
    return notList;
  }
  return {};
}

}  // namespace

void CheckTodoListFile(const std::string& path, bool force) {
  const fs::path file(std::u8string(path.begin(), path.end()));
  std::error_code ec;
  const fs::path target = fs::exists(file, ec) ? fs::canonical(file, ec) : file;
  for (const fs::path& name : {file, target}) {
    const std::u8string utf8 = name.generic_u8string();
    if (IsPageName(std::string(utf8.begin(), utf8.end()))) Refuse(path, "that is the name of a page; name the list .csv");
  }
  if (force || !fs::is_regular_file(target, ec)) return;  // a folder or the like fails when saved
  const std::u8string utf8 = target.u8string();
  if (const std::string why = Unreplaceable(std::string(utf8.begin(), utf8.end())); !why.empty()) {
    Refuse(path, why + "; give --force to overwrite it");
  }
}

std::string ReadListFile(const std::string& path) { return ReadWholeFile(path, "the list"); }

void SaveTodoList(const std::string& path, std::string_view list, bool force) {
  CheckTodoListFile(path, force);
  try {
    pages::ReplacePageFile(path, list);
  } catch (const host::Error& e) {
    // The save is a page's, and so is its message.
    std::string message = host::ToUtf8(e.description());
    if (message.starts_with("Cannot save the page")) message.replace(0, std::string("Cannot save the page").size(), kCannotSave);
    throw host::Error(e.code(), host::FromUtf8(message));
  }
}

}  // namespace audit
