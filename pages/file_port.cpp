#include "pages/file_port.h"

#include <algorithm>
#include <utility>

#ifdef _WIN32
#include <windows.h>

#include "host/text.h"
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <vector>
#endif

namespace pages::files {

const char* KindName(FileKind kind) {
  switch (kind) {
    case FileKind::Regular: return "a file";
    case FileKind::Folder: return "a folder";
    case FileKind::Fifo: return "a FIFO";
    case FileKind::CharacterDevice: return "a character device";
    case FileKind::BlockDevice: return "a block device";
    case FileKind::Socket: return "a socket";
    case FileKind::Other: break;
  }
  return "not a file";
}

File::File(File&& other) noexcept : handle_(std::exchange(other.handle_, -1)) {}

File& File::operator=(File&& other) noexcept {
  File old(std::move(other));
  std::swap(handle_, old.handle_);
  return *this;
}

std::string File::ReadAll(std::uint64_t expectedSize) {
  std::string bytes;
  ReadAllInto(bytes, expectedSize);
  return bytes;
}

void File::ReadAllInto(std::string& bytes, std::uint64_t expectedSize) {
  // Straight into the string, room for the expected size and a byte more
  // so that the end shows in one more call; a file that grows meanwhile
  // is read on in larger steps.
  constexpr std::size_t kStep = 1 << 16;
  bytes.clear();
  bytes.resize(static_cast<std::size_t>(std::min<std::uint64_t>(expectedSize, std::size_t{1} << 30)) + 1);
  std::size_t have = 0;
  for (;;) {
    if (have == bytes.size()) bytes.resize(bytes.size() + std::max(kStep, bytes.size() / 2));
    const std::size_t got = ReadSome(bytes.data() + have, bytes.size() - have);
    if (got == 0) break;
    have += got;
  }
  bytes.resize(have);
}

namespace {

// A name cut short at a NUL would be another file's.
const std::string& Whole(const std::string& path) {
  if (path.find('\0') != std::string::npos) throw SystemFailure(false, "its name holds a NUL character");
  return path;
}

}  // namespace

#ifdef _WIN32

namespace {

std::wstring Wide(const std::string& utf8) {
  const host::Text text = host::FromUtf8(Whole(utf8));
  return std::wstring(text.begin(), text.end());
}

HANDLE Handle(std::intptr_t handle) { return reinterpret_cast<HANDLE>(handle); }

[[noreturn]] void Throw(DWORD error) {
  wchar_t* buffer = nullptr;
  const DWORD length = FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error, 0,
      reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
  std::u16string text(reinterpret_cast<const char16_t*>(buffer), length);
  if (buffer) LocalFree(buffer);
  while (!text.empty() && (text.back() == u'\n' || text.back() == u'\r' || text.back() == u'.' || text.back() == u' ')) {
    text.pop_back();
  }
  std::string reason = text.empty() ? "system error " + std::to_string(error) : host::ToUtf8(text);
  throw SystemFailure(error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND, reason);
}

[[noreturn]] void ThrowLast() { Throw(GetLastError()); }

}  // namespace

void ThrowLastFailure() { ThrowLast(); }

File::~File() {
  if (handle_ != -1) CloseHandle(Handle(handle_));
}

File File::OpenToRead(const std::string& path) {
  // Folders open too (backup semantics), to be named as such.
  const HANDLE h = CreateFileW(Wide(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                               nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (h == INVALID_HANDLE_VALUE) ThrowLast();
  return File(reinterpret_cast<std::intptr_t>(h));
}

std::optional<File> File::CreateNew(const std::string& path, bool) {
  const HANDLE h = CreateFileW(Wide(path).c_str(), GENERIC_WRITE | GENERIC_READ, 0, nullptr, CREATE_NEW,
                               FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) {
    const DWORD error = GetLastError();
    if (error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS) return std::nullopt;
    Throw(error);
  }
  return File(reinterpret_cast<std::intptr_t>(h));
}

FileState File::State() const {
  FileState state;
  switch (GetFileType(Handle(handle_))) {
    case FILE_TYPE_DISK: break;
    case FILE_TYPE_CHAR: state.kind = FileKind::CharacterDevice; return state;
    case FILE_TYPE_PIPE: state.kind = FileKind::Fifo; return state;
    default: return state;
  }
  BY_HANDLE_FILE_INFORMATION info;
  if (!GetFileInformationByHandle(Handle(handle_), &info)) ThrowLast();
  state.kind = (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) ? FileKind::Folder : FileKind::Regular;
  state.readOnly = (info.dwFileAttributes & FILE_ATTRIBUTE_READONLY) != 0;
  state.links = info.nNumberOfLinks;
  state.stamp.size = (std::uint64_t{info.nFileSizeHigh} << 32) | info.nFileSizeLow;
  state.stamp.device = info.dwVolumeSerialNumber;
  state.stamp.file = (std::uint64_t{info.nFileIndexHigh} << 32) | info.nFileIndexLow;
  state.stamp.modified =
      static_cast<std::int64_t>((std::uint64_t{info.ftLastWriteTime.dwHighDateTime} << 32) | info.ftLastWriteTime.dwLowDateTime);
  return state;
}

std::size_t File::ReadSome(char* into, std::size_t size) {
  DWORD got = 0;
  const DWORD chunk = static_cast<DWORD>((std::min<std::size_t>)(size, 1 << 30));
  if (!ReadFile(Handle(handle_), into, chunk, &got, nullptr)) ThrowLast();
  return got;
}

void File::Write(std::string_view bytes) {
  while (!bytes.empty()) {
    const DWORD chunk = static_cast<DWORD>((std::min<std::size_t>)(bytes.size(), 1 << 20));
    DWORD done = 0;
    if (!WriteFile(Handle(handle_), bytes.data(), chunk, &done, nullptr)) ThrowLast();
    bytes.remove_prefix(done);
  }
}

// The new file takes the folder's inherited permissions, as any new file.
void File::TakeOwnerAndMode(const FileState&) {}

void File::Flush() {
  if (!FlushFileBuffers(Handle(handle_))) ThrowLast();
}

void File::Close() {
  const HANDLE h = Handle(std::exchange(handle_, -1));
  if (!CloseHandle(h)) ThrowLast();
}

FileState StateOf(const std::string& path) {
  // No access asked: only the attributes are read.
  const HANDLE h = CreateFileW(Wide(path).c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                               OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (h == INVALID_HANDLE_VALUE) ThrowLast();
  return File(reinterpret_cast<std::intptr_t>(h)).State();
}

void Rename(const std::string& from, const std::string& to) {
  if (!MoveFileExW(Wide(from).c_str(), Wide(to).c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    ThrowLast();
  }
}

void Remove(const std::string& path) noexcept {
  if (path.find('\0') == std::string::npos) DeleteFileW(Wide(path).c_str());
}

void SyncFolder(const std::string&) {}

#else

namespace {

[[noreturn]] void Throw(int error) { throw SystemFailure(error == ENOENT || error == ENOTDIR, std::strerror(error)); }

[[noreturn]] void ThrowErrno() { Throw(errno); }

FileKind KindOf(mode_t mode) {
  if (S_ISREG(mode)) return FileKind::Regular;
  if (S_ISDIR(mode)) return FileKind::Folder;
  if (S_ISFIFO(mode)) return FileKind::Fifo;
  if (S_ISCHR(mode)) return FileKind::CharacterDevice;
  if (S_ISBLK(mode)) return FileKind::BlockDevice;
  if (S_ISSOCK(mode)) return FileKind::Socket;
  return FileKind::Other;
}

bool InGroup(gid_t group) {
  if (getegid() == group) return true;
  const int count = getgroups(0, nullptr);
  if (count <= 0) return false;
  std::vector<gid_t> groups(static_cast<std::size_t>(count));
  const int got = getgroups(count, groups.data());
  return got > 0 && std::find(groups.begin(), groups.begin() + got, group) != groups.begin() + got;
}

// By the mode bits alone: a superuser, whom they do not stop, counts as the
// owner, so that a page its author made read-only stays so.
bool ModeForbidsWriting(const struct stat& st) {
  const uid_t user = geteuid();
  if (user == 0 || user == st.st_uid) return (st.st_mode & S_IWUSR) == 0;
  if (InGroup(st.st_gid)) return (st.st_mode & S_IWGRP) == 0;
  return (st.st_mode & S_IWOTH) == 0;
}

FileState StateFrom(const struct stat& st) {
  FileState state;
  state.kind = KindOf(st.st_mode);
  state.links = st.st_nlink;
  state.readOnly = ModeForbidsWriting(st);
  state.owner = st.st_uid;
  state.group = st.st_gid;
  state.mode = st.st_mode & 07777;
  state.stamp.size = static_cast<std::uint64_t>(st.st_size);
  state.stamp.device = st.st_dev;
  state.stamp.file = st.st_ino;
  state.stamp.modified = static_cast<std::int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
  return state;
}

}  // namespace

void ThrowLastFailure() { ThrowErrno(); }

File::~File() {
  if (handle_ != -1) ::close(static_cast<int>(handle_));
}

File File::OpenToRead(const std::string& path) {
  // Without O_NONBLOCK a FIFO would wait here for a writer.
  const int fd = ::open(Whole(path).c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (fd < 0) ThrowErrno();
  return File(fd);
}

std::optional<File> File::CreateNew(const std::string& path, bool privately) {
  const int fd = ::open(Whole(path).c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, privately ? 0600 : 0666);
  if (fd < 0) {
    if (errno == EEXIST) return std::nullopt;
    ThrowErrno();
  }
  return File(fd);
}

FileState File::State() const {
  struct stat st;
  if (::fstat(static_cast<int>(handle_), &st) != 0) ThrowErrno();
  return StateFrom(st);
}

std::size_t File::ReadSome(char* into, std::size_t size) {
  for (;;) {
    const ssize_t got = ::read(static_cast<int>(handle_), into, size);
    if (got >= 0) return static_cast<std::size_t>(got);
    if (errno != EINTR) ThrowErrno();
  }
}

void File::Write(std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t done = ::write(static_cast<int>(handle_), bytes.data(), bytes.size());
    if (done < 0 && errno == EINTR) continue;
    if (done < 0) ThrowErrno();
    bytes.remove_prefix(static_cast<std::size_t>(done));
  }
}

void File::TakeOwnerAndMode(const FileState& from) {
  const int fd = static_cast<int>(handle_);
  // Only a superuser may give a file away; anyone may pick a group of their
  // own. The mode comes after, as a change of owner clears set-id bits.
  if (::fchown(fd, from.owner, from.group) != 0) (void)::fchown(fd, static_cast<uid_t>(-1), from.group);
  if (::fchmod(fd, from.mode) != 0) ThrowErrno();
}

void File::Flush() {
  if (::fsync(static_cast<int>(handle_)) != 0) ThrowErrno();
}

void File::Close() {
  const int fd = static_cast<int>(std::exchange(handle_, -1));
  if (::close(fd) != 0 && errno != EINTR) ThrowErrno();
}

FileState StateOf(const std::string& path) {
  struct stat st;
  if (::stat(Whole(path).c_str(), &st) != 0) ThrowErrno();
  return StateFrom(st);
}

void Rename(const std::string& from, const std::string& to) {
  if (::rename(Whole(from).c_str(), Whole(to).c_str()) != 0) ThrowErrno();
}

void Remove(const std::string& path) noexcept {
  if (path.find('\0') == std::string::npos) ::unlink(path.c_str());
}

void SyncFolder(const std::string& folder) {
  const int fd = ::open(Whole(folder).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) ThrowErrno();
  const int error = ::fsync(fd) == 0 ? 0 : errno;
  ::close(fd);
  // A file system that cannot sync a folder has nothing of it to sync.
  if (error != 0 && error != EINVAL && error != ENOTSUP && error != EROFS) Throw(error);
}

#endif

}  // namespace pages::files
