#pragma once
// Which file a path leads to, so that a page reached by two paths (a link,
// a second hard link) is read once.
#include <cstdint>
#include <optional>
#include <string>

namespace audit {

// The device and inode of the file, or on Windows the volume serial number
// and file index.
struct FileIdentity {
  std::uint64_t volume, file;
  auto operator<=>(const FileIdentity&) const = default;
};

// The identity of the file `path` (UTF-8) leads to after every link;
// nullopt when there is none to be had (the file is missing or cannot be
// opened), which the reader then reports.
std::optional<FileIdentity> IdentityOf(const std::string& path);

}  // namespace audit
