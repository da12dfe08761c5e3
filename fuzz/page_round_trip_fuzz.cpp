// The stand-in's page files over any bytes: a page read and saved unedited
// is the same bytes; one whose every area got a new alt reads back with that
// alt on each area, every other attribute as it was, and no area gained or
// lost. A page that cannot be read is refused with host::Error, nothing else.
//
// Input: the file's bytes.
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "fuzz/fuzz_check.h"
#include "host/error.h"
#include "pages/page.h"
#include "pages/page_file.h"

namespace {

const std::filesystem::path& Folder() {
  static const std::filesystem::path folder = [] {
    std::string name = (std::filesystem::temp_directory_path() / "page-fuzz-XXXXXX").string();
    if (!mkdtemp(name.data())) std::abort();
    return std::filesystem::path(name);
  }();
  return folder;
}

std::string Write(const std::string& name, const std::string& bytes) {
  const auto path = (Folder() / name).string();
  std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
  return path;
}

std::string Read(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// A text that needs quoting and references in any encoding.
const host::Text kAlt = u"New \"alt\" & <text> '1'";
constexpr std::size_t kAreasEdited = 64;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  const std::string path = Write("page.htm", bytes);
  std::optional<pages::Page> page;
  try {
    page.emplace(path);
  } catch (const host::Error&) {
    return 0;  // an encoding we cannot write back
  }

  page->SaveAs((Folder() / "unedited.htm").string());
  FUZZ_REQUIRE(Read((Folder() / "unedited.htm").string()) == bytes);

  const std::size_t count = page->AreaCount();
  const std::size_t edited = std::min(count, kAreasEdited);
  std::vector<std::optional<host::Text>> hrefs;
  for (std::size_t i = 0; i < edited; ++i) {
    hrefs.push_back(page->GetAttribute(i, u"href"));
    page->SetAttribute(i, u"alt", kAlt);
  }
  const std::string editedPath = (Folder() / "edited.htm").string();
  std::filesystem::remove(editedPath);
  try {
    page->SaveAs(editedPath);
  } catch (const host::Error& e) {
    // Refused because the edits would change how the page's encoding is
    // read: nothing may have been written then.
    FUZZ_REQUIRE(e.code() == pages::code::BadFileMode);
    FUZZ_REQUIRE(!std::filesystem::exists(editedPath));
    return 0;
  }

  const pages::Page again(editedPath);
  FUZZ_REQUIRE(again.AreaCount() == count);
  for (std::size_t i = 0; i < edited; ++i) {
    FUZZ_REQUIRE(again.GetAttribute(i, u"alt") == kAlt);
    FUZZ_REQUIRE(again.GetAttribute(i, u"href") == hrefs[i]);
  }
  return 0;
}
