#pragma once
// Character references in attribute values: decoded as a browser reads them,
// and written so that a browser reads back exactly the text given.
#include <string_view>

#include "host/text.h"

namespace standin::html {

// Decodes named, decimal and hexadecimal references with the rules for
// attribute values (a legacy name without ';' stays as written when a letter,
// digit or '=' follows it).
host::Text DecodeAttributeReferences(std::u16string_view value);

// Escapes what a double-quoted attribute value cannot hold as it stands.
host::Text EscapeForDoubleQuotes(std::u16string_view value);

}  // namespace standin::html
