#pragma once
// The hold an --apply run takes on its web, for the whole run: the lock file
// .mapnote-audit.lock in the web (hidden, so never listed), held with the
// system's file locking, so that two runs never write into one web at once.
// The file goes at the end of the run, so that none is published with the
// web; one left by a run that was killed is taken over.
#include <optional>
#include <string>

#include "pages/file_lock.h"

namespace audit {

inline constexpr const char* kLockFileName = ".mapnote-audit.lock";

// The lock, or nullopt with `refusal` saying why not: another run holds it
// (named by its process and host, as it wrote them into the file), the
// file cannot be made, or what has its name is no regular file of its own. A second run does not wait: it is turned away.
std::optional<pages::FileLock> LockWeb(const std::string& web, std::string& refusal);

}  // namespace audit
