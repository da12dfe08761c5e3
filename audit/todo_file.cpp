#include "audit/todo_file.h"

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

// Whether the file begins with the header of a list this tool wrote, as a
// spreadsheet may have saved it again.
bool BeginsWithTodoHeader(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  std::string start(4096, '\0');
  in.read(start.data(), static_cast<std::streamsize>(start.size()));
  start.resize(static_cast<std::size_t>(in.gcount()));
  std::vector<std::string_view> header;
  try {
    CsvReader(start, CsvSeparator(start)).Next(header, kTodoHeader.size() * 4);
  } catch (const host::Error&) {
    return false;
  }
  return std::all_of(kTodoHeader.begin(), kTodoHeader.end(), [&](const std::string& column) {
    return std::find(header.begin(), header.end(), column) != header.end();
  });
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
  if (!BeginsWithTodoHeader(target)) {
    Refuse(path, "the file is there and is no to-do list (its first line is not the list's header); "
                 "give --force to overwrite it");
  }
}

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
