#pragma once
// SHA-256 of a page's bytes: the to-do list's proof that a page is still the
// one that was audited.
#include <string>
#include <string_view>

namespace audit {

// 64 lower-case hexadecimal digits.
std::string Sha256Hex(std::string_view bytes);

}  // namespace audit
