#pragma once
// Finds a page's <area> tags where a browser finds area elements: outside
// comments, declarations, the text of raw-text elements (script, style,
// textarea, title ...) and template contents.
#include <string_view>
#include <vector>

#include "pages/tag_lexer.h"

namespace pages {

// The area start tags in document order, with byte offsets into `page`.
std::vector<Tag> ScanAreaTags(std::string_view page);

}  // namespace pages
