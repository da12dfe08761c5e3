#pragma once
// Text from pages and file names as it may reach a terminal: a line break
// in a name must not start a forged finding, nor an escape byte drive the
// terminal.
#include <string>
#include <string_view>

namespace audit {

// `text` (UTF-8, or bytes meant as such) with every control character
// escaped: \n, \r and \t, other C0 controls and DEL as \x1b, the C1 controls
// U+0080 to U+009F as \u0085, and each byte of a malformed UTF-8 sequence
// as \xNN. Everything else passes unchanged.
std::string ForTerminal(std::string_view text);

}  // namespace audit
