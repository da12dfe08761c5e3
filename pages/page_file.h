#pragma once
// Reading and replacing page files, with failures the host can report.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace pages {

namespace code {
inline constexpr std::uint32_t FileNotFound = 0x800A0035;    // file not found
inline constexpr std::uint32_t BadFileMode = 0x800A0036;     // the file's content cannot be handled
inline constexpr std::uint32_t PathFileAccess = 0x800A004B;  // path/file access error
}  // namespace code

// The file that `relative` (UTF-8, with '/') names inside `folder`; nullopt
// when it is empty or would lead out of the folder: absolute, from a root
// of its own (as "/x" on Windows, which keeps only the drive), or climbing
// above the folder.
std::optional<std::string> FileInFolder(const std::string& folder, const std::string& relative);

// The whole file. Throws host::Error naming the file when it is missing, a
// folder, or unreadable.
std::string ReadPageFile(const std::string& path);

// Replaces the file's content all at once: the bytes go to a new file in the
// same folder, which then takes the old one's name, so that a failure leaves
// the old file as it was. Throws host::Error naming the file.
void ReplacePageFile(const std::string& path, std::string_view bytes);

}  // namespace pages
