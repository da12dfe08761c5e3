#pragma once
// The to-do list taken back: every new_alt an author filled in written as
// its area's alt, page by page, each page all at once or not at all.
#include <cstddef>
#include <ostream>
#include <string>

#include "audit/page_selection.h"

namespace audit {

struct ApplyCounts {
  std::size_t texts = 0, pages = 0, refused = 0;
  std::size_t empty = 0, emptyWithSuggestion = 0;  // rows left without a text, and of those with a suggestion
  std::size_t already = 0;  // pages an earlier run wrote these texts to
};

// `list` is the CSV as a spreadsheet saved it (UTF-8): columns in any
// order, extra ones ignored, ',' or ';' between them; path and href cells
// may carry the ' that guards them against formulas. A page whose bytes are
// not those the row's sha256 was taken of, or whose area at the row's index
// links elsewhere, is refused and left as it is, unless its areas already
// carry the rows' texts. Writes a line per page to `out`, refusals and
// skipped rows to `err`. Throws host::Error, before writing anything, for a
// list that lacks a needed column, is not CSV, or has a new_alt that is not
// UTF-8. With `acceptSuggestions`, a row whose new_alt is empty takes its
// suggested_alt.
ApplyCounts ApplyTodo(const std::string& web, std::string list, std::ostream& out, std::ostream& err,
                      bool acceptSuggestions = false, const PageSelection& selection = {});

}  // namespace audit
