#pragma once
// A page whose tags are not ASCII bytes of the file (UTF-16, iso-2022-jp)
// is scanned in a UTF-8 copy, which remembers where each of its characters
// lies in the file, so that an edit replaces only the bytes of its tag.
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "pages/encoding.h"

namespace pages {

struct Utf8Copy {
  std::string utf8;
  // For each byte of `utf8`, where the character it belongs to begins in the
  // file; one more for the end.
  std::vector<std::size_t> fileOffsets;
};

// The file's text after its byte-order mark, in UTF-8.
Utf8Copy CopyInUtf8(std::string_view file, Encoding encoding);

}  // namespace pages
