#pragma once
// File names are kept in UTF-8 throughout; these turn them into the
// system's paths and back, on Windows too.
#include <filesystem>
#include <string>

namespace pages {

inline std::filesystem::path PathOf(const std::string& utf8) {
  return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

// Of a path's u8string() or generic_u8string(), as the caller needs.
inline std::string Utf8Of(const std::u8string& text) { return std::string(text.begin(), text.end()); }

}  // namespace pages
