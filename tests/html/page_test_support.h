#pragma once
// Shared by the page tests: scratch folders, file bytes, and a page's areas
// in the form the reference parser gives them.
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "pages/page.h"
#include "reference_parser.h"

// A fresh folder, removed with everything in it at the end of the test.
class ScratchFolder {
 public:
  ScratchFolder();
  ~ScratchFolder();
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;

  const std::filesystem::path& path() const { return path_; }
  // Writes a file into the folder and returns its path.
  std::string Write(const std::string& name, std::string_view bytes) const;
  // Copies a shipped page into the folder and returns the copy's path.
  std::string CopyPage(const std::string& name) const;
  std::vector<std::string> FileNames() const;

 private:
  std::filesystem::path path_;
};

std::string ShippedPagePath(const std::string& name);
std::vector<std::string> ShippedPageNames();
std::string ReadBytes(const std::string& path);

std::vector<ReferenceArea> OurAreas(const pages::Page& page);
// The file's bytes in UTF-8, for the reference parser.
std::string Utf8OfFile(const std::string& path, pages::Encoding encoding);
// What the reference parser finds in the file as it now is on disk.
std::vector<ReferenceArea> ReferenceAreasOfFile(const std::string& path, pages::Encoding encoding);
