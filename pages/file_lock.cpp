#include "pages/file_lock.h"

#include <string>
#include <utility>

#include "pages/file_port.h"

#ifdef _WIN32
#include <windows.h>

#include "host/text.h"
#else
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#endif

namespace pages {

FileLock::FileLock(FileLock&& other) noexcept
    : handle_(std::exchange(other.handle_, -1)), path_(std::move(other.path_)) {}

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

namespace {

std::optional<BY_HANDLE_FILE_INFORMATION> InfoOf(HANDLE h) {
  BY_HANDLE_FILE_INFORMATION info;
  if (!GetFileInformationByHandle(h, &info)) return std::nullopt;
  return info;
}

// Why the file is no lock file of this run's own: only a regular file with
// a single name is, so that no file elsewhere is written through it.
std::optional<std::string> Unfit(DWORD attributes, DWORD links) {
  if (attributes & FILE_ATTRIBUTE_REPARSE_POINT) return "it is a symbolic link, not a file";
  if (attributes & FILE_ATTRIBUTE_DIRECTORY) return "it is a folder, not a file";
  if (links != 1) return "it has " + std::to_string(links) + " hard links, a lock file one";
  return std::nullopt;
}

bool SameFile(const BY_HANDLE_FILE_INFORMATION& a, const BY_HANDLE_FILE_INFORMATION& b) {
  return a.dwVolumeSerialNumber == b.dwVolumeSerialNumber && a.nFileIndexHigh == b.nFileIndexHigh &&
         a.nFileIndexLow == b.nFileIndexLow;
}

// The file now at the name, without following a link; nullopt also while
// it is being removed.
std::optional<BY_HANDLE_FILE_INFORMATION> AtName(const wchar_t* name) {
  const HANDLE h = CreateFileW(name, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                               FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (h == INVALID_HANDLE_VALUE) return std::nullopt;
  const auto info = InfoOf(h);
  CloseHandle(h);
  return info;
}

}  // namespace

std::optional<FileLock> FileLock::TryTake(const std::string& path, std::string* holder) {
  const host::Text text = host::FromUtf8(path);
  const auto* name = reinterpret_cast<const wchar_t*>(text.c_str());
  // A run that gets the lock of a file its holder has just removed opens the
  // one at the name again, once that one is gone.
  for (int attempt = 0; attempt < 1000; ++attempt) {
    const DWORD attributes = GetFileAttributesW(name);
    if (attributes != INVALID_FILE_ATTRIBUTES) {
      if (const auto reason = Unfit(attributes, 1)) throw files::SystemFailure(false, *reason);
    }
    // Never truncated: what it holds is the holder's name, written after
    // the file was found to be one's own.
    const HANDLE h = CreateFileW(name, GENERIC_READ | GENERIC_WRITE | DELETE,
                                 FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_ALWAYS,
                                 FILE_ATTRIBUTE_HIDDEN | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
      // The old file, removed by its holder, goes with the last handle on it.
      if (GetLastError() == ERROR_ACCESS_DENIED && attempt + 1 < 1000) {
        Sleep(10);
        continue;
      }
      files::ThrowLastFailure();
    }
    const auto held = InfoOf(h);
    const DWORD kind = GetFileType(h);
    std::optional<std::string> reason;
    if (!held) {
      const DWORD error = GetLastError();
      CloseHandle(h);
      SetLastError(error);
      files::ThrowLastFailure();
    }
    if (kind != FILE_TYPE_DISK) reason = "it is not a file";
    if (!reason) reason = Unfit(held->dwFileAttributes, held->nNumberOfLinks);
    if (reason) {
      CloseHandle(h);
      throw files::SystemFailure(false, *reason);
    }
    if (lockOpenedHook) lockOpenedHook(path);
    OVERLAPPED at = LockedByte();
    if (!LockFileEx(h, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &at)) {
      if (holder) {
        char bytes[200];
        DWORD got = 0;
        if (!ReadFile(h, bytes, sizeof bytes, &got, nullptr)) got = 0;
        holder->assign(bytes, got);
      }
      CloseHandle(h);
      return std::nullopt;
    }
    const auto now = AtName(name);
    if (now && SameFile(*now, *held)) return FileLock(reinterpret_cast<std::intptr_t>(h), path);
    UnlockFileEx(h, 0, 1, 0, &at);
    CloseHandle(h);
  }
  throw files::SystemFailure(false, "other runs keep replacing it");
}

FileLock::~FileLock() {
  if (handle_ == -1) return;
  const HANDLE h = Handle(handle_);
  // Removed while held, and only while the name is still this file's.
  const host::Text text = host::FromUtf8(path_);
  const auto held = InfoOf(h);
  const auto now = AtName(reinterpret_cast<const wchar_t*>(text.c_str()));
  if (held && now && SameFile(*held, *now)) DeleteFileW(reinterpret_cast<const wchar_t*>(text.c_str()));
  OVERLAPPED at = LockedByte();
  UnlockFileEx(h, 0, 1, 0, &at);
  CloseHandle(h);
}

void FileLock::Tell(std::string_view holder) {
  const HANDLE h = Handle(handle_);
  DWORD done = 0;
  if (SetFilePointer(h, 0, nullptr, FILE_BEGIN) != INVALID_SET_FILE_POINTER &&
      WriteFile(h, holder.data(), static_cast<DWORD>(holder.size()), &done, nullptr) && done == holder.size()) {
    SetEndOfFile(h);
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

namespace {

files::FileKind Kind(mode_t mode) {
  if (S_ISDIR(mode)) return files::FileKind::Folder;
  if (S_ISFIFO(mode)) return files::FileKind::Fifo;
  if (S_ISCHR(mode)) return files::FileKind::CharacterDevice;
  if (S_ISBLK(mode)) return files::FileKind::BlockDevice;
  if (S_ISSOCK(mode)) return files::FileKind::Socket;
  return files::FileKind::Other;
}

// Why the file is no lock file of this run's own: only a regular file with
// a single name is, so that no file elsewhere is written through it.
std::optional<std::string> Unfit(const struct stat& st) {
  if (S_ISLNK(st.st_mode)) return "it is a symbolic link, not a file";
  if (!S_ISREG(st.st_mode)) return std::string("it is ") + files::KindName(Kind(st.st_mode)) + ", not a file";
  if (st.st_nlink != 1) return "it has " + std::to_string(st.st_nlink) + " hard links, a lock file one";
  return std::nullopt;
}

bool SameFile(const struct stat& a, const struct stat& b) { return a.st_dev == b.st_dev && a.st_ino == b.st_ino; }

}  // namespace

std::optional<FileLock> FileLock::TryTake(const std::string& path, std::string* holder) {
  // A run that gets the lock of a file its holder has just removed opens the
  // one at the name again; each time another run has come and gone.
  for (int attempt = 0; attempt < 1000; ++attempt) {
    struct stat st;
    // Looked at first, so that a FIFO or a device is not even opened.
    if (::lstat(path.c_str(), &st) == 0) {
      if (const auto reason = Unfit(st)) throw files::SystemFailure(false, *reason);
    } else if (errno != ENOENT) {
      files::ThrowLastFailure();
    }
    // Never truncated: what it holds is the holder's name, written after
    // the file was found to be one's own.
    const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC, 0644);
    if (fd < 0 && errno == ELOOP) throw files::SystemFailure(false, "it is a symbolic link, not a file");
    if (fd < 0) files::ThrowLastFailure();
    const auto fail = [&](const std::optional<std::string>& reason) {
      const int error = errno;
      ::close(fd);
      if (reason) throw files::SystemFailure(false, *reason);
      errno = error;
      files::ThrowLastFailure();
    };
    if (::fstat(fd, &st) != 0) fail(std::nullopt);
    if (const auto reason = Unfit(st)) fail(reason);
    if (lockOpenedHook) lockOpenedHook(path);
    // flock, not fcntl: its lock belongs to this open file, so no other
    // descriptor of the same file that the process closes can drop it.
    while (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
      if (errno == EINTR) continue;
      if (errno != EWOULDBLOCK) fail(std::nullopt);
      if (holder) {
        char text[200];
        const ssize_t got = ::pread(fd, text, sizeof text, 0);
        holder->assign(text, got > 0 ? static_cast<std::size_t>(got) : 0);
      }
      ::close(fd);
      return std::nullopt;
    }
    struct stat now;
    if (::lstat(path.c_str(), &now) == 0 && SameFile(now, st)) return FileLock(fd, path);
    ::close(fd);
  }
  throw files::SystemFailure(false, "other runs keep replacing it");
}

FileLock::~FileLock() {
  if (handle_ == -1) return;
  const int fd = static_cast<int>(handle_);
  // Removed while held, and only while the name is still this file's.
  struct stat held, now;
  if (::fstat(fd, &held) == 0 && ::lstat(path_.c_str(), &now) == 0 && SameFile(held, now)) ::unlink(path_.c_str());
  ::close(fd);
}

void FileLock::Tell(std::string_view holder) {
  const int fd = static_cast<int>(handle_);
  const ssize_t done = ::pwrite(fd, holder.data(), holder.size(), 0);
  if (done == static_cast<ssize_t>(holder.size())) (void)::ftruncate(fd, done);
}

std::string ThisProcess() {
  char host[256] = {};
  if (::gethostname(host, sizeof host - 1) != 0) host[0] = '?';
  return "process " + std::to_string(::getpid()) + " on host " + host;
}

#endif

}  // namespace pages
