#pragma once
// Names compared the way the host compares them.
#include "host/text.h"

namespace standin {

// Equal apart from the letter case of ASCII letters: bar names, HTML tag and
// attribute names, ProgIDs.
bool SameName(const host::Text& a, const host::Text& b);

}  // namespace standin
