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
// offsets into `page`; tags inside template contents are passed over. Tags
// of SVG and MathML elements come marked as foreign.
void ScanTags(std::string_view page, const std::function<void(Tag&&)>& onTag);

// The HTML area start tags in document order.
std::vector<Tag> ScanAreaTags(std::string_view page);

// Whether an HTML element of this name never holds content.
bool IsVoidElement(std::string_view name);

// Whether markup found between two tags that take effect holds text a
// reader sees: something but white space once comments, declarations and
// tags a parser drops are taken out.
bool HoldsText(std::string_view markup);

}  // namespace pages
