#pragma once
// One reading of a page, in one pass over its tags: its image-map areas in
// one list, the maps they lie in, and the few facts about the page that the
// suggestions and the report use. Every output takes its areas from this
// list, so that a finding, a to-do row, a row of the report and the area
// --apply writes are the same area, indexed as pages::Page indexes them.
#include <cstddef>
#include <cstdint>
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

struct PageReading;

// What a link says about its target: an area's or a linked image's alt, or
// a link's text.
struct PageLink {
  enum class Kind { AreaAlt, ImageAlt, Text } kind;
  host::Text href;
  host::Text text;  // an alt as written; a link's text with its white space collapsed
  // An area's href and alt are not copied: they are those of the reading's
  // area of this index.
  std::size_t area = 0;
  const host::Text& HrefIn(const PageReading& reading) const;
  const host::Text& TextIn(const PageReading& reading) const;
};

struct PageImage {
  std::optional<host::Text> usemap, src, width, height;
};

// The elements with an id and all below them, in document order, each with
// the few facts an accessible name is computed from; text runs that hold
// text are nodes of their own. Children of node i are i + 1 on, each next
// one at the previous one's end. What is never rendered (a <template>'s
// content, a <noscript>'s with scripting on) is not kept at all.
struct NameNode {
  enum Fact : std::uint32_t {
    Text = 1,               // a run of text
    Hidden = 2,             // hidden by its own markup, or content of a closed <details>
    InHidden = 4,           // Hidden, or below an element that is
    Presentational = 8,     // role=presentation or role=none
    Image = 16,             // an img
    Control = 32,           // an input or a textarea, whose value is its name when embedded
    Area = 64,              // an area
    AriaLabel = 128,        // a non-blank aria-label
    AltPresent = 256,       // an alt attribute, however blank
    AltText = 512,          // a non-blank alt
    Title = 1024,           // a non-blank title
    Value = 2048,           // a control's value (or its default) is not blank
    NativeValue = 4096,     // a button input, whose value is its own label
  };
  std::uint32_t end = 0;    // past its last descendant
  std::uint32_t facts = 0;
  bool Has(Fact fact) const { return (facts & fact) != 0; }
};

struct NameTree {
  std::vector<NameNode> nodes;
  std::unordered_map<host::Text, std::uint32_t> ids;  // the first element of each id
};

struct PageReading {
  std::vector<ReadArea> areas;                  // every HTML area, in document order
  // Each map's name, or its id when it has no name: as a browser finds the
  // map of usemap="#x" by either, the id names it everywhere.
  std::vector<std::optional<host::Text>> maps;
  std::vector<std::optional<host::Text>> mapIds;  // each map's id
  // With labels: what an accessible name reads of the elements an
  // aria-labelledby can name (see accessible_name.h).
  NameTree names;
  // With facts:
  std::optional<host::Text> title;  // white space collapsed; nullopt when blank or absent
  std::vector<PageLink> links;      // in document order; blank texts left out
  std::vector<PageImage> images;    // those with a usemap
  std::vector<int> mapImages;       // for each map, the index of its image; -1 for none
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
// first whose usemap names, by name or id, a map that is the first of that
// name or id; nullptr for none. The reading must hold its
// facts.
const PageImage* ImageOfMap(const PageReading& reading, std::size_t map);

// Runs of HTML white space as one space, none at either end.
host::Text CollapseSpace(std::u16string_view text);

}  // namespace audit
