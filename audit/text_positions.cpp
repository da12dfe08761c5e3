#include "audit/text_positions.h"

#include "host/text.h"

namespace audit {

TextPositions::TextPositions(std::string_view page, pages::Encoding encoding) : page_(page), encoding_(encoding) {
  if (page_.substr(0, 3) == "\xEF\xBB\xBF") at_ = 3;  // the mark is no character of the text
}

std::pair<std::size_t, std::size_t> TextPositions::Of(std::size_t offset) {
  // CR LF, LF and a lone CR each end a line.
  const std::string_view span = page_.substr(at_, offset - at_);
  const std::size_t lastBreak = span.find_last_of("\r\n");
  if (lastBreak != std::string_view::npos) {
    // Each kind of break found by a search, as lines hold many characters.
    for (std::size_t k = span.find('\r'); k <= lastBreak; k = span.find('\r', k + 1)) ++line_;
    for (std::size_t k = span.find('\n'); k <= lastBreak; k = span.find('\n', k + 1)) {
      if (at_ + k == 0 || page_[at_ + k - 1] != '\r') ++line_;
    }
    column_ = 1 + pages::CharacterCount(span.substr(lastBreak + 1), encoding_);
  } else {
    column_ += pages::CharacterCount(span, encoding_);
  }
  at_ = offset;
  return {line_, column_};
}

}  // namespace audit
