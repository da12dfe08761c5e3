#include "audit/web_lock.h"

#include <ctime>
#include <filesystem>

#include "pages/file_port.h"

namespace audit {
namespace {

std::string LockFileOf(const std::string& web) {
  const std::u8string file = (std::filesystem::path(std::u8string(web.begin(), web.end())) / kLockFileName).u8string();
  return std::string(file.begin(), file.end());
}

std::string Now() {
  const std::time_t now = std::time(nullptr);
  char text[32] = "?";
  if (const std::tm* utc = std::gmtime(&now)) std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S UTC", utc);
  return text;
}

}  // namespace

std::optional<pages::FileLock> LockWeb(const std::string& web, std::string& refusal) {
  const std::string file = LockFileOf(web);
  try {
    std::string holder;
    std::optional<pages::FileLock> lock = pages::FileLock::TryTake(file, &holder);
    if (!lock) {
      // The holder may not have written its name yet.
      if (holder.empty()) holder = "which has not yet said who it is";
      refusal = web + " is being written by another run (" + holder +
                "); nothing written: try again when it has finished";
      return std::nullopt;
    }
    lock->Tell(pages::ThisProcess() + ", since " + Now());
    return lock;
  } catch (const pages::files::SystemFailure& failure) {
    refusal = "cannot lock " + web + " (" + file + "): " + failure.what() + "; nothing written";
    return std::nullopt;
  }
}

}  // namespace audit
