#pragma once
// mapnote-audit's command line: checks a web's image-map areas for alt text,
// writes a to-do list of them, or takes the list back into the pages.
#include <ostream>
#include <string>
#include <vector>

namespace audit {

namespace exit_status {
inline constexpr int Clean = 0;      // nothing found, every text written
inline constexpr int Found = 1;      // findings, or a page refused
inline constexpr int Unusable = 2;   // a usage error, or no page could be read
// Some page could not be read or some folder not listed: whatever was found
// is printed, but a clean result would not cover the whole web.
inline constexpr int Incomplete = 2;
}  // namespace exit_status

// `args` without the program's name, in UTF-8. A progress bar goes to `err`
// when it is a terminal and the web is large.
int RunAudit(const std::vector<std::string>& args, std::ostream& out, std::ostream& err, bool errIsTerminal);

}  // namespace audit
