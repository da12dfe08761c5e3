#pragma once
// One reading of a page, in one pass over its tags: its image-map areas in
// one list, the maps they lie in, and the few facts about the page that the
// suggestions and the report use. Every output takes its areas from this
// list, so that a finding, a to-do row, a row of the report and the area
// --apply writes are the same area, indexed as pages::Page indexes them.
#include <cstddef>
#include <optional>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "host/text.h"
#include "pages/encoding.h"

namespace audit {

struct ReadArea {
  std::size_t begin = 0, end = 0;  // the tag's bytes in the markup, '<' to past '>'
  int map = -1;                    // index into the maps; -1 outside any map
  std::optional<host::Text> href, alt;
  // With labels or facts only.
  std::optional<host::Text> title, ariaLabel, ariaLabelledBy;
  // With shapes only.
  std::optional<host::Text> shape, coords;
};

// What a link says about its target: an area's or a linked image's alt, or
// a link's text.
struct PageLink {
  enum class Kind { AreaAlt, ImageAlt, Text } kind;
  host::Text href;
  host::Text text;  // an alt as written; a link's text with its white space collapsed
};

struct PageImage {
  std::optional<host::Text> usemap, src, width, height;
};

struct PageReading {
  std::vector<ReadArea> areas;                  // every HTML area, in document order
  std::vector<std::optional<host::Text>> maps;  // each map's name
  // With labels: for each id, whether its first element has text that an
  // accessible name would take.
  std::unordered_map<host::Text, bool> idHasText;
  // With facts:
  std::optional<host::Text> title;  // white space collapsed; nullopt when blank or absent
  std::vector<PageLink> links;      // in document order; blank texts left out
  std::vector<PageImage> images;    // those with a usemap
  // Where a link to a place in the page leads: for each id (and each name
  // of an a), the text of its first element, or of the heading it starts
  // when it has none; left out when blank or longer than a name.
  std::unordered_map<host::Text, host::Text> fragments;
};

struct ReadingNeeds {
  bool labels = false;  // the areas' title, aria-label, aria-labelledby and the ids' texts (--aria)
  bool facts = false;   // what the suggestions and the report use
  bool shapes = false;  // the areas' shapes, which the report draws
};

PageReading ReadPage(std::string_view markup, pages::Encoding encoding, ReadingNeeds needs);

// The image that uses the map of that index, as a browser finds it: the
// first whose usemap names it; nullptr for none. The reading must hold its
// facts.
const PageImage* ImageOfMap(const PageReading& reading, std::size_t map);

// Runs of HTML white space as one space, none at either end.
host::Text CollapseSpace(std::u16string_view text);

}  // namespace audit
