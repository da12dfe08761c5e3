#pragma once
// .reg files, as installers and users hand registry entries over: "REGEDIT4"
// files in the ANSI code page, and "Windows Registry Editor Version 5.00"
// files in UTF-16LE with a byte-order mark (UTF-8 is read too).
#include <filesystem>
#include <stdexcept>
#include <string>
#include <string_view>

#include "standin/registry.h"

namespace standin {

enum class RegFormat { Regedit4, Version5 };

class RegFileError : public std::runtime_error {
 public:
  RegFileError(int line, const std::string& problem);
  int line() const { return line_; }

 private:
  int line_;
};

// Applies a whole file, or nothing of it: a malformed file throws
// RegFileError for its first bad line and leaves the registry as it was.
void ImportReg(Registry& registry, std::string_view fileBytes);
void ImportRegFile(Registry& registry, const std::filesystem::path& file);

// The key and everything below it, in the layout regedit writes.
std::string ExportReg(const Registry& registry, std::string_view keyPath, RegFormat format);
void ExportRegFile(const Registry& registry, std::string_view keyPath, RegFormat format,
                   const std::filesystem::path& file);

}  // namespace standin
