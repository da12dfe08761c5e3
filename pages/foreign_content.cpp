#include "pages/foreign_content.h"

#include <algorithm>
#include <array>

#include "pages/tag_names.h"

namespace pages {
namespace {

// Start tags that end foreign content: a page's HTML written inside an
// <svg> or <math> left open.
constexpr TagNameSet kBreakouts({
    "b", "big", "blockquote", "body", "br", "center", "code", "dd", "div", "dl", "dt", "em", "embed", "h1",
    "h2", "h3", "h4", "h5", "h6", "head", "hr", "i", "img", "li", "listing", "menu", "meta", "nobr", "ol", "p",
    "pre", "ruby", "s", "small", "span", "strong", "strike", "sub", "sup", "table", "tt", "u", "ul", "var"});

bool BreaksOut(const Tag& tag) {
  if (kBreakouts.Holds(tag.name)) return true;
  return tag.Named("font") && (tag.Find("color") || tag.Find("face") || tag.Find("size"));
}

// HTML elements that an end tag without a rule of its own does not reach
// past (those that are never left open here are not listed).
constexpr TagNameSet kSpecial({
    "address", "applet", "article", "aside", "blockquote", "body", "button", "caption", "center", "colgroup",
    "dd", "details", "dir", "div", "dl", "dt", "fieldset", "figcaption", "figure", "footer", "form",
    "frameset", "h1", "h2", "h3", "h4", "h5", "h6", "head", "header", "hgroup", "html", "li", "listing",
    "main", "marquee", "menu", "nav", "noscript", "object", "ol", "p", "plaintext", "pre", "section", "select",
    "summary", "table", "tbody", "td", "template", "tfoot", "th", "thead", "tr", "ul"});

// End tags with a rule of their own, which reach past any element but
// those that bound a scope.
constexpr TagNameSet kOwnEndTagRule({
    "a", "address", "applet", "article", "aside", "b", "big", "blockquote", "body", "br", "button", "center",
    "code", "dd", "details", "dialog", "dir", "div", "dl", "dt", "em", "fieldset", "figcaption", "figure",
    "font", "footer", "form", "h1", "h2", "h3", "h4", "h5", "h6", "header", "hgroup", "html", "i", "li",
    "listing", "main", "marquee", "menu", "nav", "nobr", "object", "ol", "p", "pre", "s", "search", "section",
    "small", "strike", "strong", "summary", "template", "tt", "u", "ul"});

bool ValueIs(std::string_view page, const TagAttribute* attribute, std::string_view lowered) {
  if (!attribute || attribute->valueEnd - attribute->valueBegin != lowered.size()) return false;
  for (std::size_t k = 0; k < lowered.size(); ++k) {
    if (AsciiLower(page[attribute->valueBegin + k]) != lowered[k]) return false;
  }
  return true;
}

}  // namespace

bool ForeignContent::Place(std::string_view page, Tag& tag) {
  annotationHtml_ = false;
  bool foreignRules = false;
  if (!stack_.empty()) {
    const Element& current = stack_.back();
    const std::string_view name = tag.name;
    foreignRules = current.space != Space::Html && !current.htmlPoint &&
                   !(current.mathText && name != "mglyph" && name != "malignmark") &&
                   !(current.annotationXml && name == "svg");
    if (foreignRules && BreaksOut(tag)) {
      std::size_t keep = stack_.size();
      while (keep > 0 && stack_[keep - 1].space != Space::Html && !stack_[keep - 1].htmlPoint && !stack_[keep - 1].mathText) {
        --keep;
      }
      PopTo(keep);
      foreignRules = false;
    }
  }
  if (foreignRules) {
    placed_ = stack_.back().space;
    annotationHtml_ = placed_ == Space::MathMl && tag.Named("annotation-xml") &&
                      (ValueIs(page, tag.Find("encoding"), "text/html") ||
                       ValueIs(page, tag.Find("encoding"), "application/xhtml+xml"));
  } else {
    placed_ = tag.Named("svg") ? Space::Svg : tag.Named("math") ? Space::MathMl : Space::Html;
  }
  tag.foreign = placed_ != Space::Html;
  return foreignRules;
}

ForeignContent::Name& ForeignContent::NameOf(const Tag& tag) {
  if (tag.nameNumber >= names_.size()) names_.resize(tag.nameNumber + 1);
  Name& name = names_[tag.nameNumber];
  if (!name.seen) {
    name.seen = true;
    name.special = kSpecial.Holds(tag.name);
    name.ownEndRule = kOwnEndTagRule.Holds(tag.name);
  }
  return name;
}

void ForeignContent::Open(const Tag& tag, bool opens) {
  if (tag.foreign ? tag.selfClosing : !opens) return;
  const std::size_t at = stack_.size();
  Name& known = NameOf(tag);
  Element element{placed_, false, false, false, kNone, kNone, kNone, tag.nameNumber};
  if (placed_ == Space::Svg) {
    element.htmlPoint = tag.Named("foreignobject") || tag.Named("desc") || tag.Named("title");
  } else if (placed_ == Space::MathMl) {
    element.htmlPoint = annotationHtml_;
    element.mathText = tag.Named("mi") || tag.Named("mo") || tag.Named("mn") || tag.Named("ms") || tag.Named("mtext");
    element.annotationXml = tag.Named("annotation-xml");
  }
  const Element* below = stack_.empty() ? nullptr : &stack_.back();
  element.topHtml = placed_ == Space::Html ? at : below ? below->topHtml : kNone;
  const bool barrier = element.htmlPoint || element.mathText || element.annotationXml;
  element.barrier = barrier ? at : below ? below->barrier : kNone;
  const bool special = barrier || (placed_ == Space::Html && known.special) ||
                       (placed_ == Space::Svg && (tag.Named("foreignobject") || tag.Named("desc") || tag.Named("title")));
  element.special = special ? at : below ? below->special : kNone;
  (placed_ == Space::Html ? known.html : known.foreign).push_back(at);
  stack_.push_back(element);
}

void ForeignContent::EndTag(Tag& tag) {
  if (tag.Named("body") || tag.Named("html")) return;  // these close nothing
  if (tag.nameNumber >= names_.size() || stack_.empty()) return;
  const Name& known = names_[tag.nameNumber];
  const Element& current = stack_.back();
  if (InForeignElement() && !known.foreign.empty()) {
    // The foreign elements above the nearest HTML one, the current first.
    const std::size_t at = known.foreign.back();
    if (current.topHtml == kNone || at > current.topHtml) {
      PopTo(at);
      tag.foreign = true;
      return;
    }
  }
  if (known.html.empty()) return;
  const std::size_t at = known.html.back();
  const std::size_t stop = known.ownEndRule ? current.barrier : current.special;
  if (stop != kNone && stop > at) return;
  PopTo(at);
}

void ForeignContent::PopTo(std::size_t size) {
  while (stack_.size() > size) {
    const Element& element = stack_.back();
    Name& name = names_[element.name];
    (element.space == Space::Html ? name.html : name.foreign).pop_back();
    stack_.pop_back();
  }
}

}  // namespace pages
