#pragma once
// Finds a page's tags where a browser finds elements: outside comments,
// declarations, the text of raw-text elements (script, style, textarea,
// title ...) and template contents.
#include <functional>
#include <optional>
#include <string_view>
#include <vector>

#include "pages/tag_lexer.h"

namespace pages {

// Every start and end tag that takes effect, in document order, with byte
// offsets into `page`; tags inside template contents are passed over. Tags
// of SVG and MathML elements come marked as foreign.
void ScanTags(std::string_view page, const std::function<void(Tag&&)>& onTag);

// The text of a raw-text or RCDATA element (script, style, title, textarea,
// plaintext ...) that `tag`, an HTML start tag taking effect, opens: where it
// ends, at its end tag's '<' or the page's end, and where scanning resumes,
// past that end tag. nullopt for any other tag.
struct RawText {
  std::size_t end, after;
};
std::optional<RawText> RawTextOf(std::string_view page, const Tag& tag);
// Whether RawTextOf finds such a text for `tag`, without looking for its end.
bool OpensRawText(const Tag& tag);

// The HTML area start tags in document order.
std::vector<Tag> ScanAreaTags(std::string_view page);

// Whether an HTML element of this name never holds content.
bool IsVoidElement(std::string_view name);

// The next run of the text a reader sees in markup found between two tags
// that take effect, from `at` on: comments, declarations and tags a parser
// drops are passed over. Empty at the end.
std::string_view NextTextRun(std::string_view markup, std::size_t& at);

// Whether that text is something but white space.
bool HoldsText(std::string_view markup);

}  // namespace pages
