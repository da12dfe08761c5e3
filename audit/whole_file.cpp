#include "audit/whole_file.h"

#include <filesystem>
#include <fstream>

#include "host/error.h"
#include "pages/page_file.h"

namespace audit {

std::string ReadWholeFile(const std::string& path, const std::string& what) {
  std::ifstream in(std::filesystem::path(std::u8string(path.begin(), path.end())), std::ios::binary);
  const auto fail = [&](const char* why) {
    throw host::Error(pages::code::PathFileAccess, host::FromUtf8("Cannot read " + what + " \"" + path + "\": " + why));
  };
  if (!in) fail("it cannot be opened");
  // Held once at its size, not grown into twice that.
  std::string text;
  if (const auto size = in.seekg(0, std::ios::end).tellg(); size > 0) text.reserve(static_cast<std::size_t>(size));
  in.seekg(0);
  char block[1 << 16];
  while (in.read(block, sizeof block) || in.gcount() > 0) text.append(block, static_cast<std::size_t>(in.gcount()));
  if (in.bad()) fail("reading it failed");
  return text;
}

}  // namespace audit
