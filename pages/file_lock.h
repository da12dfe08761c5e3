#pragma once
// An exclusive lock on a file, with the system's file locking: held while the
// object lives, and dropped by the system when the process ends, however it
// ends, so that a run that died leaves no lock behind. The file goes when
// the lock is let go; one left by a run that died is taken as it is.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

namespace pages {

class FileLock {
 public:
  // The lock on `path`, which is made when missing; nullopt while another
  // holds it, with `holder` (when given) what that one wrote into the file.
  // Only a regular file with no other name is taken: anything else at the
  // name (a link, a FIFO, a folder, a file with a second hard link) throws
  // files::SystemFailure saying what it is, as does a file that cannot be
  // opened.
  static std::optional<FileLock> TryTake(const std::string& path, std::string* holder = nullptr);

  FileLock(FileLock&& other) noexcept;
  FileLock& operator=(FileLock&&) = delete;
  // Removes the file, still holding it, and lets the lock go.
  ~FileLock();

  // Writes `holder` into the file, for a process turned away to name.
  void Tell(std::string_view holder);

 private:
  FileLock(std::intptr_t handle, std::string path) : handle_(handle), path_(std::move(path)) {}
  std::intptr_t handle_;
  std::string path_;
};

// Called, when set, once the lock file is open and before it is locked:
// tests end the holder there.
inline void (*lockOpenedHook)(const std::string& path) = nullptr;

// This process as another would name it: "process 1234 on host vm".
std::string ThisProcess();

}  // namespace pages
