#pragma once
// Finds a page's tags where a browser finds elements: outside comments,
// declarations, the text of raw-text elements (script, style, textarea,
// title ...) and template contents.
#include <functional>
#include <string_view>
#include <vector>

#include "pages/tag_lexer.h"

namespace pages {

// Every start and end tag that takes effect, in document order, with byte
// offsets into `page`; tags inside template contents are passed over.
void ScanTags(std::string_view page, const std::function<void(Tag&&)>& onTag);

// The area start tags in document order.
std::vector<Tag> ScanAreaTags(std::string_view page);

}  // namespace pages
