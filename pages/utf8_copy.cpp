#include "pages/utf8_copy.h"

namespace pages {

Utf8Copy CopyInUtf8(std::string_view file, Encoding encoding) {
  const bool utf16 = encoding == Encoding::Utf16Le || encoding == Encoding::Utf16Be;
  Utf8Copy copy;
  copy.textBegins = utf16 && file.size() >= 2 ? 2 : 0;
  std::vector<ByteSpan> spans;
  const host::Text text = Decode(file.substr(copy.textBegins), encoding, &spans);
  copy.utf8.reserve(text.size() + text.size() / 2);
  copy.fileBytes.reserve(text.size() + text.size() / 2);
  for (std::size_t i = 0; i < text.size();) {
    const ByteSpan span{copy.textBegins + spans[i].begin, copy.textBegins + spans[i].end};
    host::AppendUtf8(copy.utf8, host::NextUtf16(text, i));
    copy.fileBytes.resize(copy.utf8.size(), span);
  }
  return copy;
}

ByteSpan Utf8Copy::FileSpan(std::size_t begin, std::size_t end) const {
  const std::size_t after = begin == 0 ? textBegins : fileBytes[begin - 1].end;
  if (begin == end) return {after, after};
  return {fileBytes[begin].begin, fileBytes[end - 1].end};
}

}  // namespace pages
