#include "pages/utf8_copy.h"

namespace pages {

Utf8Copy CopyInUtf8(std::string_view file, Encoding encoding) {
  const bool utf16 = encoding == Encoding::Utf16Le || encoding == Encoding::Utf16Be;
  const std::size_t mark = utf16 && file.size() >= 2 ? 2 : 0;
  std::vector<std::size_t> starts;
  const host::Text text = Decode(file.substr(mark), encoding, &starts);
  Utf8Copy copy;
  copy.utf8.reserve(text.size() + text.size() / 2);
  copy.fileOffsets.reserve(text.size() + text.size() / 2 + 1);
  for (std::size_t i = 0; i < text.size();) {
    const std::size_t start = mark + starts[i];
    host::AppendUtf8(copy.utf8, host::NextUtf16(text, i));
    copy.fileOffsets.resize(copy.utf8.size(), start);
  }
  copy.fileOffsets.push_back(file.size());
  return copy;
}

}  // namespace pages
