#include "pages/file_lock.h"

#include <utility>

#include "pages/file_port.h"

#ifdef _WIN32
#include <windows.h>

#include "host/text.h"
#else
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#endif

namespace pages {

FileLock::FileLock(FileLock&& other) noexcept : handle_(std::exchange(other.handle_, -1)) {}

#ifdef _WIN32

namespace {

HANDLE Handle(std::intptr_t handle) { return reinterpret_cast<HANDLE>(handle); }

// Locked bytes cannot be read by others under Windows: the lock takes one
// byte far past anything the file holds, so that the holder's name stays
// readable.
OVERLAPPED LockedByte() {
  OVERLAPPED at{};
  at.Offset = 0x7FFFFFFF;
  return at;
}

}  // namespace

std::optional<FileLock> FileLock::TryTake(const std::string& path) {
  const host::Text name = host::FromUtf8(path);
  const HANDLE h = CreateFileW(reinterpret_cast<const wchar_t*>(name.c_str()), GENERIC_READ | GENERIC_WRITE,
                               FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_ALWAYS,
                               FILE_ATTRIBUTE_HIDDEN, nullptr);
  if (h == INVALID_HANDLE_VALUE) files::ThrowLastFailure();
  OVERLAPPED at = LockedByte();
  if (!LockFileEx(h, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &at)) {
    CloseHandle(h);
    return std::nullopt;
  }
  return FileLock(reinterpret_cast<std::intptr_t>(h));
}

FileLock::~FileLock() {
  if (handle_ == -1) return;
  const HANDLE h = Handle(handle_);
  if (SetFilePointer(h, 0, nullptr, FILE_BEGIN) != INVALID_SET_FILE_POINTER) SetEndOfFile(h);
  OVERLAPPED at = LockedByte();
  UnlockFileEx(h, 0, 1, 0, &at);
  CloseHandle(h);
}

void FileLock::Tell(std::string_view holder) {
  const HANDLE h = Handle(handle_);
  DWORD done = 0;
  if (SetFilePointer(h, 0, nullptr, FILE_BEGIN) != INVALID_SET_FILE_POINTER && SetEndOfFile(h)) {
    WriteFile(h, holder.data(), static_cast<DWORD>(holder.size()), &done, nullptr);
  }
}

std::string ThisProcess() {
  wchar_t name[MAX_COMPUTERNAME_LENGTH + 1];
  DWORD size = MAX_COMPUTERNAME_LENGTH + 1;
  const std::string host =
      GetComputerNameW(name, &size) ? host::ToUtf8(std::u16string(reinterpret_cast<const char16_t*>(name), size)) : "?";
  return "process " + std::to_string(GetCurrentProcessId()) + " on host " + host;
}

#else

std::optional<FileLock> FileLock::TryTake(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0644);
  if (fd < 0) files::ThrowLastFailure();
  // flock, not fcntl: its lock belongs to this open file, so no other
  // descriptor of the same file that the process closes can drop it.
  while (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    const int error = errno;
    if (error == EINTR) continue;
    ::close(fd);
    if (error == EWOULDBLOCK) return std::nullopt;
    errno = error;
    files::ThrowLastFailure();
  }
  return FileLock(fd);
}

FileLock::~FileLock() {
  if (handle_ == -1) return;
  const int fd = static_cast<int>(handle_);
  (void)::ftruncate(fd, 0);
  ::close(fd);
}

void FileLock::Tell(std::string_view holder) {
  const int fd = static_cast<int>(handle_);
  if (::ftruncate(fd, 0) == 0) (void)::pwrite(fd, holder.data(), holder.size(), 0);
}

std::string ThisProcess() {
  char host[256] = {};
  if (::gethostname(host, sizeof host - 1) != 0) host[0] = '?';
  return "process " + std::to_string(::getpid()) + " on host " + host;
}

#endif

}  // namespace pages
