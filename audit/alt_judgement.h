#pragma once
// Whether a text can serve as an area's alt: the name a screen reader reads
// for the link instead of the picture. WCAG's failure F30 (text
// alternatives that are no alternatives: file names, placeholders), the
// ACT rule that an image's name be descriptive, and the old AERT tests (a
// file extension, "image", "spacer", more than 150 characters) judged as
// one table of rules.
#include <optional>
#include <string>
#include <string_view>

namespace audit {

enum class AltProblem { FileName, Url, Code, Placeholder, TooLong };

struct AltVerdict {
  AltProblem problem;
  std::string_view reason;  // e.g. "a file name", for messages
};

// nullopt when `text` (UTF-8) is usable. `linkFile` and `imageFile` are the
// file names (the last segment of the path, no query) of the area's href
// and of its map's image src, which the text must not be.
std::optional<AltVerdict> JudgeAltText(std::string_view text, std::string_view linkFile = {},
                                       std::string_view imageFile = {});

// Upper case to lower in ASCII, Latin-1 and Cyrillic: enough to compare a
// text with the lists of words above, and two texts as a listener hears them.
std::string Folded(std::string_view utf8);
// The text without the white space around it, folded: two alts alike so
// read the same.
std::string FoldedText(std::string_view text);

// The last segment of a URL's path, without query or fragment, percent
// escapes kept: "a/b/Home.htm?x#y" gives "Home.htm".
std::string_view FileNameOf(std::string_view url);

}  // namespace audit
