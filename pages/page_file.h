#pragma once
// Reading and replacing page files, with failures the host can report.
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "pages/file_port.h"

namespace pages {

namespace code {
inline constexpr std::uint32_t FileNotFound = 0x800A0035;    // file not found
inline constexpr std::uint32_t BadFileMode = 0x800A0036;     // the file's content cannot be handled
inline constexpr std::uint32_t PathFileAccess = 0x800A004B;  // path/file access error
}  // namespace code

// The file that `relative` (UTF-8, with '/') names inside `folder`; nullopt
// when it is empty or would lead out of the folder: absolute, from a root
// of its own (as "/x" on Windows, which keeps only the drive), or climbing
// above the folder.
std::optional<std::string> FileInFolder(const std::string& folder, const std::string& relative);

struct PageFileRead {
  std::string bytes;
  files::FileStamp stamp;  // of the file these bytes were read from
};

// The whole file, with its stamp. Only a regular file is read (checked on the
// opened file, so that a FIFO, a device or a folder is named, never waited on
// or read without end). Throws host::Error naming the file and the reason.
// `buffer`'s memory holds the bytes, where one is given.
PageFileRead ReadPageFileStamped(const std::string& path, std::string buffer = {});
std::string ReadPageFile(const std::string& path);

// Replaces the file's content all at once: the bytes go to a new file in the
// same folder, which takes the old one's owner, group and mode and then its
// name, so that a failure leaves the old file as it was. Refused (host::Error
// naming the file and the reason) for a file that is read-only, that is not a
// regular file, or that has more than one hard link (a new file would part
// it from its other names); with `asRead`, also when the file is no longer
// the one read, checked right before it is replaced: same stamp, same bytes.
// Returns the stamp of the new file.
struct FileAsRead {
  files::FileStamp stamp;
  std::string_view bytes;
};
files::FileStamp ReplacePageFile(const std::string& path, std::string_view bytes,
                                 const std::optional<FileAsRead>& asRead = std::nullopt);
// The same, the new content made as it is written: `write` is given a sink
// that takes it piece by piece, so that it need never be held whole. What
// `write` throws leaves the old file as it was.
using ContentSink = std::function<void(std::string_view)>;
files::FileStamp ReplacePageFileWith(const std::string& path, const std::function<void(const ContentSink&)>& write,
                                     const std::optional<FileAsRead>& asRead = std::nullopt);

// Whether `name` is one of the names that ReplacePageFile writes the new
// content under before the rename, as a run that was stopped leaves behind.
bool IsTemporaryName(std::string_view name);

// Called, when set, once the new content is written and before the file is
// checked the last time and replaced: tests change the page there.
inline void (*beforeReplaceHook)(const std::string& path) = nullptr;

}  // namespace pages
