#pragma once
// Whether an element's markup hides it and what it holds from a reader, as
// a browser's accessibility tree leaves it out. A style sheet can hide it
// too; that is not seen here.
#include <string_view>

#include "pages/encoding.h"
#include "pages/tag_lexer.h"

namespace audit {

// `hidden`, aria-hidden="true", or an inline style of display:none or
// visibility:hidden on the start tag `tag` read from `page`.
bool HidesContent(std::string_view page, const pages::Tag& tag, pages::Encoding encoding);

}  // namespace audit
