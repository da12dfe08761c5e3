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

// What the holder wrote into the file; it may not have written it yet.
std::string Holder(const std::string& file) {
  try {
    std::string text = pages::files::File::OpenToRead(file).ReadAll();
    if (text.size() > 200) text.resize(200);
    if (!text.empty()) return text;
  } catch (const pages::files::SystemFailure&) {
  }
  return "which has not yet said who it is";
}

}  // namespace

std::optional<pages::FileLock> LockWeb(const std::string& web, std::string& refusal) {
  const std::string file = LockFileOf(web);
  try {
    std::optional<pages::FileLock> lock = pages::FileLock::TryTake(file);
    if (!lock) {
      refusal = web + " is being written by another run (" + Holder(file) +
                "); nothing written: try again when it has finished";
      return std::nullopt;
    }
    lock->Tell(pages::ThisProcess() + ", since " + Now());
    return lock;
  } catch (const pages::files::SystemFailure& failure) {
    refusal = "cannot lock " + web + " (" + file + "): " + failure.what();
    return std::nullopt;
  }
}

}  // namespace audit
