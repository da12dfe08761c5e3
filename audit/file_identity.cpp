#include "audit/file_identity.h"

#ifdef _WIN32
#include <windows.h>

#include "host/text.h"
#else
#include <sys/stat.h>
#endif

namespace audit {

#ifdef _WIN32
std::optional<FileIdentity> IdentityOf(const std::string& path) {
  const std::u16string wide = host::FromUtf8(path);
  // No access asked for: the identity of a page that cannot be read is
  // still to be had, and reading it is the reader's to report.
  const HANDLE file = CreateFileW(reinterpret_cast<const wchar_t*>(wide.c_str()), 0,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                  FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (file == INVALID_HANDLE_VALUE) return std::nullopt;
  BY_HANDLE_FILE_INFORMATION info;
  const bool known = GetFileInformationByHandle(file, &info) != 0;
  CloseHandle(file);
  if (!known) return std::nullopt;
  return FileIdentity{info.dwVolumeSerialNumber,
                      (static_cast<std::uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow};
}
#else
std::optional<FileIdentity> IdentityOf(const std::string& path) {
  struct stat info;
  if (stat(path.c_str(), &info) != 0) return std::nullopt;
  return FileIdentity{static_cast<std::uint64_t>(info.st_dev), static_cast<std::uint64_t>(info.st_ino)};
}
#endif

}  // namespace audit
