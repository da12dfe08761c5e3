#pragma once
// Text as the host holds it: length-counted UTF-16.
#include <cstdint>
#include <string>
#include <string_view>

namespace host {

using Text = std::u16string;

// Decimal digits of n, with a leading '-' only when negative.
Text Decimal(std::int64_t n);

// Lossless conversions for logs, test messages and file names.
std::string ToUtf8(std::u16string_view text);
Text FromUtf8(std::string_view utf8);

}  // namespace host
