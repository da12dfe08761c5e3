#pragma once
// Whether an image-map area has an accessible name, computed as a browser
// computes it (W3C accname 1.2 with HTML-AAM's rules for area, img and
// input) from what the page's reading keeps. Only blank or not matters to
// the audit, so each step gives that instead of the text.
#include <cstdint>
#include <vector>

#include "audit/page_reading.h"

namespace audit {

class AccessibleNames {
 public:
  explicit AccessibleNames(const NameTree& tree) : tree_(tree) {}

  // Whether the name the area gets is not blank.
  bool AreaHasName(const ReadArea& area);

 private:
  // Each node's text alternative as a child in a traversal, blank or not:
  // [0] when the element named directly is shown, [1] when it is hidden
  // (then hidden content below it counts too). Computed for all nodes at
  // once, children first, so that no page costs more than linear time and
  // no depth of nesting takes the stack.
  const std::vector<std::uint8_t>& Children(bool rootHidden);
  bool Node(std::uint32_t node, bool rootHidden, bool recursion);

  const NameTree& tree_;
  std::vector<std::uint8_t> alternatives_[2];
};

}  // namespace audit
