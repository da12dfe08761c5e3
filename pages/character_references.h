#pragma once
// Character references in attribute values: decoded as a browser reads them,
// and written so that a browser reads back exactly the text given.
#include <string_view>

#include "host/text.h"

namespace pages {

// Decodes named, decimal and hexadecimal references with the rules for
// attribute values (a legacy name without ';' stays as written when a letter,
// digit or '=' follows it).
host::Text DecodeAttributeReferences(std::u16string_view value);

// Escapes what an attribute value quoted with `quote` (' or ") cannot hold
// as it stands.
host::Text EscapeAttributeValue(std::u16string_view value, char16_t quote);

}  // namespace pages
