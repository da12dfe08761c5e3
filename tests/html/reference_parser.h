#pragma once
// The area elements of a page as an independent HTML5 parser (gumbo) finds
// them, to hold our own scanner to.
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

struct ReferenceArea {
  std::optional<std::string> href, alt;  // UTF-8
  friend bool operator==(const ReferenceArea&, const ReferenceArea&) = default;
  // For test failures.
  friend void PrintTo(const ReferenceArea& a, std::ostream* out) {
    *out << "{href=" << (a.href ? "\"" + *a.href + "\"" : "none") << " alt=" << (a.alt ? "\"" + *a.alt + "\"" : "none") << "}";
  }
};

// `utf8` is the page converted to UTF-8. Template contents do not count,
// as they are not part of the document a script sees.
std::vector<ReferenceArea> ReferenceAreas(std::string_view utf8);

// Each of those area elements, with the map element it lies in, if any.
struct ReferenceMapArea {
  ReferenceArea attributes;
  bool inMap = false;
  std::optional<std::string> mapName;
};
std::vector<ReferenceMapArea> ReferenceAreasInMaps(std::string_view utf8);

// Where each of those area elements' start tag lies in `utf8`.
struct ReferenceTag {
  std::size_t begin, end;
};
std::vector<ReferenceTag> ReferenceAreaTags(std::string_view utf8);

// The page bytes in UTF-8, converted by the C library from `charset`, and
// back.
std::string ConvertToUtf8(std::string_view bytes, const char* charset);
std::string ConvertFromUtf8(std::string_view utf8, const char* charset);
