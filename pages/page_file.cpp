#include "pages/page_file.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <filesystem>

#include "host/error.h"
#include "pages/utf8_path.h"

namespace pages {
namespace {

namespace fs = std::filesystem;

[[noreturn]] void Fail(std::uint32_t errorCode, const std::string& what, const std::string& path,
                       const std::string& reason) {
  throw host::Error(errorCode, host::FromUtf8(what + " \"" + path + "\": " + reason));
}

// ".page.htm.<stamp>-<counter>.tmp": a name no other save uses at the same
// time, and which a later run can tell for one of ours.
fs::path TemporaryBeside(const fs::path& target) {
  static std::atomic<unsigned> counter{0};
  const auto stamp = static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count());
  std::u8string name = u8".";
  name += target.filename().u8string();
  for (const auto& part : {std::string("."), std::to_string(stamp), std::string("-"), std::to_string(counter++)}) {
    name.append(part.begin(), part.end());
  }
  name += u8".tmp";
  fs::path candidate = target;
  candidate.replace_filename(name);
  return candidate;
}

bool AllDigits(std::string_view text) {
  return !text.empty() && std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// The file at `path` now, or nullopt when there is none.
std::optional<files::FileState> CurrentState(const std::string& what, const std::string& path,
                                             const std::string& file) {
  try {
    return files::StateOf(file);
  } catch (const files::SystemFailure& failure) {
    if (failure.missing()) return std::nullopt;
    Fail(code::PathFileAccess, what, path, std::string("it cannot be looked at: ") + failure.what());
  }
}

// Why a file of this kind is not read or replaced; nullopt for a regular file.
std::optional<std::string> NotAFile(files::FileKind kind) {
  if (kind == files::FileKind::Regular) return std::nullopt;
  if (kind == files::FileKind::Folder) return "it is a folder";
  return std::string("it is ") + files::KindName(kind) + ", not a file";
}

// Only a regular file with one name that its mode lets us write is replaced.
void CheckReplaceable(const std::string& what, const std::string& path, const files::FileState& state) {
  if (const auto reason = NotAFile(state.kind)) Fail(code::PathFileAccess, what, path, *reason);
  if (state.readOnly) Fail(code::PathFileAccess, what, path, "it is read-only");
  if (state.links > 1) {
    Fail(code::PathFileAccess, what, path,
         "it has " + std::to_string(state.links) + " hard links, and a new file would part it from its other names");
  }
}

// The bytes and stamp of the file now are those read.
bool Unchanged(const std::string& file, const FileAsRead& asRead) {
  try {
    files::File now = files::File::OpenToRead(file);
    const files::FileState state = now.State();
    return state.kind == files::FileKind::Regular && state.stamp == asRead.stamp && now.ReadAll(state.stamp.size) == asRead.bytes;
  } catch (const files::SystemFailure&) {
    return false;
  }
}

}  // namespace

std::optional<std::string> FileInFolder(const std::string& folder, const std::string& relative) {
  const fs::path inside = PathOf(relative).lexically_normal();
  if (inside.empty() || inside.has_root_name() || inside.has_root_directory() || *inside.begin() == "..") {
    return std::nullopt;
  }
  return Utf8Of((PathOf(folder) / inside).generic_u8string());
}

PageFileRead ReadPageFileStamped(const std::string& path, std::string buffer) {
  const std::string what = "Cannot read the page";
  std::optional<files::File> file;
  try {
    file = files::File::OpenToRead(path);
  } catch (const files::SystemFailure& failure) {
    if (failure.missing()) Fail(code::FileNotFound, what, path, "no such file");
    // A socket cannot be opened at all: say what it is.
    std::optional<files::FileState> state;
    try {
      state = files::StateOf(path);
    } catch (const files::SystemFailure&) {
    }
    if (state && state->kind != files::FileKind::Folder) {
      if (const auto reason = NotAFile(state->kind)) Fail(code::PathFileAccess, what, path, *reason);
    }
    Fail(code::PathFileAccess, what, path, std::string("it cannot be opened: ") + failure.what());
  }
  try {
    const files::FileState state = file->State();
    if (const auto reason = NotAFile(state.kind)) Fail(code::PathFileAccess, what, path, *reason);
    file->ReadAllInto(buffer, state.stamp.size);
    return {std::move(buffer), state.stamp};
  } catch (const files::SystemFailure& failure) {
    Fail(code::PathFileAccess, what, path, std::string("reading it failed: ") + failure.what());
  }
}

std::string ReadPageFile(const std::string& path) { return ReadPageFileStamped(path).bytes; }

files::FileStamp ReplacePageFile(const std::string& path, std::string_view bytes, const std::optional<FileAsRead>& asRead) {
  return ReplacePageFileWith(path, [&](const ContentSink& sink) { sink(bytes); }, asRead);
}

files::FileStamp ReplacePageFileWith(const std::string& path, const std::function<void(const ContentSink&)>& write,
                                     const std::optional<FileAsRead>& asRead) {
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
  const std::string file = Utf8Of(target.u8string());
  const std::optional<files::FileState> before = CurrentState(what, path, file);
  if (before) CheckReplaceable(what, path, *before);
  if (asRead && !before) Fail(code::PathFileAccess, what, path, "it has been removed since it was read");

  std::optional<files::File> out;
  std::string temporary;
  try {
    for (unsigned attempt = 0; !out; ++attempt) {
      if (attempt == 1000) throw files::SystemFailure(false, "every name tried is taken");
      temporary = Utf8Of(TemporaryBeside(target).u8string());
      out = files::File::CreateNew(temporary, before.has_value());
    }
  } catch (const files::SystemFailure& failure) {
    Fail(code::PathFileAccess, what, path, std::string("no file can be created in its folder: ") + failure.what());
  }
  files::FileStamp written;
  try {
    write([&](std::string_view bytes) { out->Write(bytes); });
    if (before) out->TakeOwnerAndMode(*before);
    out->Flush();
    written = out->State().stamp;
    out->Close();
  } catch (const files::SystemFailure& failure) {
    out.reset();
    files::Remove(temporary);
    Fail(code::PathFileAccess, what, path, std::string("writing failed: ") + failure.what());
  } catch (...) {
    out.reset();
    files::Remove(temporary);
    throw;
  }
  out.reset();
  try {
    if (beforeReplaceHook) beforeReplaceHook(file);
    // Once more, as late as can be: another program may have written the
    // page, or made it read-only, since it was read.
    if (asRead && !Unchanged(file, *asRead)) {
      Fail(code::PathFileAccess, what, path, "it has changed since it was read (another program wrote it)");
    }
    if (const auto now = CurrentState(what, path, file)) CheckReplaceable(what, path, *now);
    files::Rename(temporary, file);
  } catch (const files::SystemFailure& failure) {
    files::Remove(temporary);
    Fail(code::PathFileAccess, what, path, failure.what());
  } catch (...) {
    files::Remove(temporary);
    throw;
  }
  // The new name on the disk as well as the new bytes: else a power cut
  // could bring the old file back.
  try {
    files::SyncFolder(Utf8Of(folder.u8string()));
  } catch (const files::SystemFailure& failure) {
    Fail(code::PathFileAccess, what, path, std::string("it is replaced, but its folder could not be synced: ") + failure.what());
  }
  return written;
}

bool IsTemporaryName(std::string_view name) {
  // "." page "." stamp "-" counter ".tmp"
  if (!name.starts_with(".") || !name.ends_with(".tmp")) return false;
  const std::string_view middle = name.substr(1, name.size() - 5);
  const std::size_t dash = middle.rfind('-');
  if (dash == std::string_view::npos || !AllDigits(middle.substr(dash + 1))) return false;
  const std::size_t dot = middle.rfind('.', dash);
  return dot != std::string_view::npos && dot > 0 && AllDigits(middle.substr(dot + 1, dash - dot - 1));
}

}  // namespace pages
