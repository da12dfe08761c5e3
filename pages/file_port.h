#pragma once
// The few file operations page files need, on the system's own calls: a file
// is opened first and then checked by its handle, and a failure carries the
// system's own words for it.
#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

namespace pages::files {

// A call the system refused, with its reason in the system's words.
class SystemFailure : public std::runtime_error {
 public:
  SystemFailure(bool missing, const std::string& reason) : std::runtime_error(reason), missing_(missing) {}
  // No such file, or no such folder on the way to it.
  bool missing() const { return missing_; }

 private:
  bool missing_;
};

// Throws the failure of the system call just made (errno, GetLastError).
[[noreturn]] void ThrowLastFailure();

enum class FileKind { Regular, Folder, Fifo, CharacterDevice, BlockDevice, Socket, Other };
// "a FIFO", "a character device", ...
const char* KindName(FileKind kind);

// What tells one state of a file from another: a rewrite changes the size or
// the time (and the bytes), a replacement the identity.
struct FileStamp {
  std::uint64_t size = 0, device = 0, file = 0;
  std::int64_t modified = 0;  // in the system's own unit
  bool operator==(const FileStamp&) const = default;
};

struct FileState {
  FileKind kind = FileKind::Other;
  FileStamp stamp;
  std::uint64_t links = 1;
  // Its mode bits give this process no write (the R attribute on Windows),
  // also where a superuser could write it anyway.
  bool readOnly = false;
  std::uint32_t owner = 0, group = 0, mode = 0;  // POSIX only
};

class File;
FileState StateOf(const std::string& path);

// An open file, closed when it goes.
class File {
 public:
  // For reading; a FIFO or a device opens without waiting, to be turned
  // down by its kind.
  static File OpenToRead(const std::string& path);
  // A new file only readable by its owner until told otherwise when
  // `privately`, else with the usual mode; nullopt when the name is taken.
  static std::optional<File> CreateNew(const std::string& path, bool privately);

  File(File&& other) noexcept;
  File& operator=(File&& other) noexcept;
  ~File();

  FileState State() const;
  // Everything from here to the end; `expectedSize`, the size the file had
  // when checked, only saves copying.
  std::string ReadAll(std::uint64_t expectedSize = 0);
  // The same into `bytes`, whose memory it reuses.
  void ReadAllInto(std::string& bytes, std::uint64_t expectedSize = 0);
  void Write(std::string_view bytes);
  // The owner, group and mode of `from`, where the process may give them.
  void TakeOwnerAndMode(const FileState& from);
  // Writes through to the disk.
  void Flush();
  void Close();

 private:
  friend FileState StateOf(const std::string& path);
  explicit File(std::intptr_t handle) : handle_(handle) {}
  // Up to `size` bytes; 0 at the end.
  std::size_t ReadSome(char* into, std::size_t size);
  std::intptr_t handle_;
};

// The state of the file a path leads to, following links.
FileState StateOf(const std::string& path);
// Gives `from` the name `to`, in place of the file there.
// On Windows the rename is written through to the disk before it returns.
void Rename(const std::string& from, const std::string& to);
// Writes a folder's entries through to the disk, so that a rename in it
// outlives a power cut (POSIX; on Windows the rename itself did).
void SyncFolder(const std::string& folder);
void Remove(const std::string& path) noexcept;

}  // namespace pages::files
