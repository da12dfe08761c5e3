#pragma once
// Lines and columns of places in a page, as an editor shows them.
#include <cstddef>
#include <string_view>
#include <utility>

#include "pages/encoding.h"

namespace audit {

// Line and column (1-based, the column in characters) of each offset, asked
// for in increasing order. Each call counts only the bytes since the last
// one, so a page costs one pass however many places are asked for.
class TextPositions {
 public:
  TextPositions(std::string_view page, pages::Encoding encoding);
  std::pair<std::size_t, std::size_t> Of(std::size_t offset);

 private:
  std::string_view page_;
  pages::Encoding encoding_;
  std::size_t at_ = 0;  // the offset last asked for, or the text's start
  std::size_t line_ = 1, column_ = 1;
};

}  // namespace audit
