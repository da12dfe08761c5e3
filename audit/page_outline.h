#pragma once
// What the suggestions and the report page need of a page, read in one pass
// over its tags: its title, what its links say about their targets, and its
// image maps with the images that use them.
#include <cstddef>
#include <optional>
#include <string_view>
#include <vector>

#include "host/text.h"
#include "pages/encoding.h"

namespace audit {

struct OutlineLink {
  enum class Kind { AreaAlt, ImageAlt, Text } kind;
  host::Text href;
  host::Text text;  // an alt as written; a link's text with its white space collapsed
};

struct OutlineArea {
  int map;  // index into the maps; -1 outside any map
  std::optional<host::Text> shape, coords, href, alt;
  std::optional<host::Text> title, ariaLabel;  // shown beside the alt in the report
};

struct OutlineImage {
  std::optional<host::Text> usemap, src, width, height;
};

struct PageOutline {
  std::optional<host::Text> title;  // white space collapsed; nullopt when blank or absent
  std::vector<OutlineLink> links;   // in document order; blank texts left out
  std::vector<OutlineArea> areas;   // every area, indexed as the audit indexes them
  std::vector<std::optional<host::Text>> maps;  // each map's name
  std::vector<OutlineImage> images;  // those with a usemap
};

PageOutline ReadPageOutline(std::string_view bytes, pages::Encoding encoding);

// Runs of HTML white space as one space, none at either end.
host::Text CollapseSpace(std::u16string_view text);

}  // namespace audit
