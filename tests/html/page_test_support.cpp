#include "page_test_support.h"

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <stdexcept>

namespace fs = std::filesystem;

ScratchFolder::ScratchFolder() {
  // In memory where the machine offers it: the tests save many small files.
  std::error_code ec;
  const fs::path base = fs::is_directory("/dev/shm", ec) ? fs::path("/dev/shm") : fs::temp_directory_path();
  std::string pattern = (base / "html_tests-XXXXXX").string();
  if (!mkdtemp(pattern.data())) throw std::runtime_error("cannot create a scratch folder");
  path_ = pattern;
}

ScratchFolder::~ScratchFolder() {
  std::error_code ec;
  fs::remove_all(path_, ec);
}

std::string ScratchFolder::Write(const std::string& name, std::string_view bytes) const {
  const fs::path file = path_ / name;
  std::ofstream(file, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  return file.string();
}

std::string ScratchFolder::CopyPage(const std::string& name) const { return Write(name, ReadBytes(ShippedPagePath(name))); }

std::vector<std::string> ScratchFolder::FileNames() const {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(path_)) names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

std::string ShippedPagePath(const std::string& name) { return (fs::path(PAGES_DIR) / name).string(); }

std::vector<std::string> ShippedPageNames() {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(PAGES_DIR)) names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

std::string ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("cannot read " + path);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::vector<ReferenceArea> OurAreas(const pages::Page& page) {
  auto utf8 = [](const std::optional<host::Text>& t) -> std::optional<std::string> {
    if (!t) return std::nullopt;
    return host::ToUtf8(*t);
  };
  std::vector<ReferenceArea> areas;
  for (std::size_t i = 0; i < page.AreaCount(); ++i) {
    areas.push_back({utf8(page.GetAttribute(i, u"href")), utf8(page.GetAttribute(i, u"alt"))});
  }
  return areas;
}

std::string Utf8OfFile(const std::string& path, pages::Encoding encoding) {
  const std::string bytes = ReadBytes(path);
  switch (encoding) {
    case pages::Encoding::Utf8:
    case pages::Encoding::Ascii: return bytes;
    case pages::Encoding::Windows1252: return ConvertToUtf8(bytes, "CP1252");
    case pages::Encoding::Utf16Le:
    case pages::Encoding::Utf16Be: return ConvertToUtf8(bytes, "UTF-16");  // by its byte-order mark
    default: return ConvertToUtf8(bytes, pages::NamesOf(encoding).iconv);
  }
}

std::vector<ReferenceArea> ReferenceAreasOfFile(const std::string& path, pages::Encoding encoding) {
  return ReferenceAreas(Utf8OfFile(path, encoding));
}
