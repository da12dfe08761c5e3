#pragma once
// A file the user names (a to-do list, a baseline, a web's settings) read
// whole.
#include <string>

namespace audit {

// Throws host::Error "Cannot read WHAT "PATH": why", e.g. WHAT "the list".
std::string ReadWholeFile(const std::string& path, const std::string& what);

}  // namespace audit
