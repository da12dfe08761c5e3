#pragma once
// The to-do list taken back: every new_alt an author filled in written as
// its area's alt, page by page, each page all at once or not at all.
#include <cstddef>
#include <ostream>
#include <string>
#include <string_view>

namespace audit {

struct ApplyCounts {
  std::size_t texts = 0, pages = 0, refused = 0;
};

// `list` is the CSV as a spreadsheet saved it: columns in any order, extra
// ones ignored. A page whose bytes are not those the row's sha256 was taken
// of, or whose area at the row's index links elsewhere, is refused and left
// as it is. Writes a line per page to `out`, refusals to `err`. Throws
// host::Error for a list that lacks a needed column or is not CSV. With
// `acceptSuggestions`, a row whose new_alt is empty takes its suggested_alt.
ApplyCounts ApplyTodo(const std::string& web, std::string_view list, std::ostream& out, std::ostream& err,
                      bool acceptSuggestions = false);

}  // namespace audit
