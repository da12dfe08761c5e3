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
  // For each byte of `utf8`, where the bytes of its character lie in the file.
  std::vector<ByteSpan> fileBytes;
  std::size_t textBegins = 0;  // past the byte-order mark

  // The bytes of the file that hold utf8[begin, end); where an empty span
  // goes, right after the character before it. The shifts of a stateful
  // encoding before the first character stay out, as do those after the last.
  ByteSpan FileSpan(std::size_t begin, std::size_t end) const;
};

// The file's text after its byte-order mark, in UTF-8.
Utf8Copy CopyInUtf8(std::string_view file, Encoding encoding);

}  // namespace pages
