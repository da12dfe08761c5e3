#include "audit/accessible_name.h"

#include "pages/page.h"

namespace audit {
namespace {

// Each step answers with a text (here: blank or not), or with nothing to
// pass the node on to the next step.
using Step = std::optional<bool>;

struct Current {
  const NameNode& node;
  bool rootHidden;  // the element named directly is hidden
  bool recursion;   // reached as a descendant, not named directly
};

// 2A: hidden content is no name, unless the traversal began at a hidden
// element; the element named directly is never left out.
Step Hidden(const Current& c) {
  if (c.recursion && !c.rootHidden && c.node.Has(NameNode::Hidden)) return false;
  return std::nullopt;
}

// 2C: a non-blank aria-label, which an embedded control reached as a
// descendant ignores for its value.
Step AriaLabel(const Current& c) {
  if (!c.node.Has(NameNode::AriaLabel)) return std::nullopt;
  if (c.recursion && c.node.Has(NameNode::Control)) return std::nullopt;
  return true;
}

// 2D: the host language's own alternative: an img's or an area's alt when
// there is one, however blank; a button input's value or default label. A
// presentational image has none, and no name at all.
Step HostLanguage(const Current& c) {
  if (c.node.Has(NameNode::Image) && c.node.Has(NameNode::Presentational)) return false;
  if (c.node.Has(NameNode::Image) || c.node.Has(NameNode::Area)) {
    if (c.node.Has(NameNode::AltPresent)) return c.node.Has(NameNode::AltText);
    return std::nullopt;
  }
  if (c.node.Has(NameNode::NativeValue)) {
    if (c.node.Has(NameNode::AltText) || c.node.Has(NameNode::Value)) return true;
  }
  return std::nullopt;
}

// 2E: a control inside a label gives its value: a field's text, a range's
// value.
Step EmbeddedControl(const Current& c) {
  if (c.node.Has(NameNode::Control) && c.node.Has(NameNode::Value)) return true;
  return std::nullopt;
}

// 2F and 2H: the children's text alternatives, each child computed from 2A
// on; `anyChild` is whether one of them is not blank.
Step NameFromContent(const Current& c, bool anyChild) {
  if (c.node.Has(NameNode::Text) || c.node.Has(NameNode::Image) || c.node.Has(NameNode::Area)) return std::nullopt;
  if (anyChild) return true;
  return std::nullopt;
}

// 2G: a text node's text.
Step TextNode(const Current& c) {
  if (c.node.Has(NameNode::Text)) return true;
  return std::nullopt;
}

// 2I: the tooltip attribute, title.
Step Tooltip(const Current& c) {
  if (c.node.Has(NameNode::Title)) return true;
  return std::nullopt;
}

bool NonBlank(const std::optional<host::Text>& value) { return value && !pages::IsHtmlBlank(*value); }

}  // namespace

const std::vector<std::uint8_t>& AccessibleNames::Children(bool rootHidden) {
  std::vector<std::uint8_t>& alternatives = alternatives_[rootHidden];
  if (alternatives.size() == tree_.nodes.size()) return alternatives;
  alternatives.assign(tree_.nodes.size(), 0);
  // Children come after their parent, so from the last node back every
  // child is computed before the node it belongs to.
  for (std::size_t i = tree_.nodes.size(); i-- > 0;) alternatives[i] = Node(static_cast<std::uint32_t>(i), rootHidden, true);
  return alternatives;
}

// The text alternative of one node (step 2), its children's taken from
// those computed already.
bool AccessibleNames::Node(std::uint32_t index, bool rootHidden, bool recursion) {
  const Current c{tree_.nodes[index], rootHidden, recursion};
  // 2B is not followed: a node reached here is already part of an
  // aria-labelledby traversal.
  for (const auto step : {Hidden, AriaLabel, HostLanguage, EmbeddedControl}) {
    if (const Step text = step(c)) return *text;
  }
  bool anyChild = false;
  if (!c.node.Has(NameNode::Text)) {
    const std::vector<std::uint8_t>& children = alternatives_[rootHidden];
    for (std::uint32_t child = index + 1; child < c.node.end && !anyChild; child = tree_.nodes[child].end) {
      anyChild = children[child] != 0;
    }
  }
  if (const Step text = NameFromContent(c, anyChild)) return *text;
  for (const auto step : {TextNode, Tooltip}) {
    if (const Step text = step(c)) return *text;
  }
  return false;
}

bool AccessibleNames::AreaHasName(const ReadArea& area) {
  // 2B: the elements aria-labelledby names, in order, each named directly
  // and visited once; their texts joined, when not blank, are the name.
  if (area.ariaLabelledBy) {
    const host::Text& ids = *area.ariaLabelledBy;
    std::vector<std::uint32_t> visited;
    for (std::size_t at = 0; at < ids.size();) {
      while (at < ids.size() && pages::IsHtmlSpace(ids[at])) ++at;
      std::size_t end = at;
      while (end < ids.size() && !pages::IsHtmlSpace(ids[end])) ++end;
      const auto found = end > at ? tree_.ids.find(ids.substr(at, end - at)) : tree_.ids.end();
      at = end;
      if (found == tree_.ids.end()) continue;
      const std::uint32_t node = found->second;
      bool seen = false;
      for (const std::uint32_t v : visited) seen = seen || v == node;
      if (seen) continue;
      visited.push_back(node);
      const bool hidden = tree_.nodes[node].Has(NameNode::InHidden);
      Children(hidden);
      if (Node(node, hidden, false)) return true;
    }
  }
  // 2C: its aria-label.
  if (NonBlank(area.ariaLabel)) return true;
  // 2D: an alt that is there is the name, however blank.
  if (area.alt) return !pages::IsHtmlBlank(*area.alt);
  // 2I: else its title.
  return NonBlank(area.title);
}

}  // namespace audit
