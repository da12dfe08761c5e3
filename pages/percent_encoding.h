#pragma once
// Percent-encoding of the paths in URLs (RFC 3986), for the stand-in host's
// page URLs, the audit's link targets and its SARIF locations.
#include <string>
#include <string_view>

namespace pages {

// Every byte but the unreserved characters, '/' and those in `keep` as %XX.
std::string PercentEncoded(std::string_view utf8, std::string_view keep = {});

// Each %XX as its byte; a '%' without two hexadecimal digits after it as itself.
std::string PercentDecoded(std::string_view text);

// The value of a hexadecimal digit, or -1.
int HexDigitValue(char c);

}  // namespace pages
