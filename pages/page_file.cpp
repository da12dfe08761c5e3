#include "pages/page_file.h"

#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>

#include "host/error.h"

namespace pages {
namespace {

namespace fs = std::filesystem;

// Paths are UTF-8 throughout, also where the native form is UTF-16.
fs::path PathOf(const std::string& utf8) { return fs::path(std::u8string(utf8.begin(), utf8.end())); }

[[noreturn]] void Fail(std::uint32_t errorCode, const std::string& what, const std::string& path,
                       const std::string& reason) {
  throw host::Error(errorCode, host::FromUtf8(what + " \"" + path + "\": " + reason));
}

// A name no other save uses at the same time.
fs::path TemporaryBeside(const fs::path& target) {
  static std::atomic<unsigned> counter{0};
  const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
  for (;;) {
    std::u8string name = u8".";
    name += target.filename().u8string();
    for (const auto& part : {std::string("."), std::to_string(stamp), std::string("-"), std::to_string(counter++)}) {
      name.append(part.begin(), part.end());
    }
    name += u8".tmp";
    fs::path candidate = target;
    candidate.replace_filename(name);
    std::error_code ec;
    if (!fs::exists(candidate, ec)) return candidate;
  }
}

}  // namespace

std::optional<std::string> FileInFolder(const std::string& folder, const std::string& relative) {
  const fs::path inside = PathOf(relative).lexically_normal();
  if (inside.empty() || inside.has_root_name() || inside.has_root_directory() || *inside.begin() == "..") {
    return std::nullopt;
  }
  const std::u8string file = (PathOf(folder) / inside).generic_u8string();
  return std::string(file.begin(), file.end());
}

std::string ReadPageFile(const std::string& path) {
  const fs::path file = PathOf(path);
  std::error_code ec;
  const auto status = fs::status(file, ec);
  if (!fs::exists(status)) Fail(code::FileNotFound, "Cannot read the page", path, "no such file");
  if (fs::is_directory(status)) Fail(code::PathFileAccess, "Cannot read the page", path, "it is a folder");
  std::ifstream in(file, std::ios::binary);
  if (!in) Fail(code::PathFileAccess, "Cannot read the page", path, "it cannot be opened");
  // In large blocks: a web's pages are read one after another.
  std::string bytes;
  char block[1 << 16];
  while (in.read(block, sizeof block) || in.gcount() > 0) bytes.append(block, static_cast<std::size_t>(in.gcount()));
  if (in.bad()) Fail(code::PathFileAccess, "Cannot read the page", path, "reading it failed");
  return bytes;
}

void ReplacePageFile(const std::string& path, std::string_view bytes) {
  fs::path target = PathOf(path);
  std::error_code ec;
  // Saving through a link updates the file it points to and keeps the link.
  if (fs::is_symlink(target, ec)) {
    const fs::path resolved = fs::canonical(target, ec);
    if (!ec) target = resolved;
  }
  const std::string what = "Cannot save the page";
  const fs::path folder = target.has_parent_path() ? target.parent_path() : fs::path(".");
  if (!fs::is_directory(folder, ec)) Fail(code::PathFileAccess, what, path, "its folder does not exist");
  if (fs::is_directory(target, ec)) Fail(code::PathFileAccess, what, path, "it is a folder");

  const fs::path temporary = TemporaryBeside(target);
  {
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    if (!out) Fail(code::PathFileAccess, what, path, "no file can be created in its folder");
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out) {
      fs::remove(temporary, ec);
      Fail(code::PathFileAccess, what, path, "writing failed");
    }
  }
  const auto permissions = fs::status(target, ec).permissions();
  if (!ec) fs::permissions(temporary, permissions, ec);
  fs::rename(temporary, target, ec);
  if (ec) {
    const std::string reason = ec.message();
    fs::remove(temporary, ec);
    Fail(code::PathFileAccess, what, path, reason);
  }
}

}  // namespace pages
