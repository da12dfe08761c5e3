#pragma once
// An exclusive lock on a file, with the system's file locking: held while the
// object lives, and dropped by the system when the process ends, however it
// ends, so that a run that died leaves no lock behind.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace pages {

class FileLock {
 public:
  // The lock on `path`, which is made when missing; nullopt while another
  // holds it. Throws files::SystemFailure when the file cannot be opened.
  static std::optional<FileLock> TryTake(const std::string& path);

  FileLock(FileLock&& other) noexcept;
  FileLock& operator=(FileLock&&) = delete;
  // Empties the file and lets the lock go.
  ~FileLock();

  // Writes `holder` into the file, for a process turned away to name.
  void Tell(std::string_view holder);

 private:
  explicit FileLock(std::intptr_t handle) : handle_(handle) {}
  std::intptr_t handle_;
};

// This process as another would name it: "process 1234 on host vm".
std::string ThisProcess();

}  // namespace pages
