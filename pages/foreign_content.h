#pragma once
// Where a page's tags make SVG or MathML elements rather than HTML ones, as
// an HTML5 parser decides it: from an <svg> or <math> start tag until its
// end, until a tag that breaks out of it, and not inside the elements
// where HTML comes back in (svg foreignObject, desc and title; math mi, mo,
// mn, ms, mtext, and annotation-xml holding HTML).
#include <cstddef>
#include <string_view>
#include <vector>

#include "pages/tag_lexer.h"

namespace pages {

// The open elements, followed as the scanner passes their tags on. Each
// step costs constant time but for the elements it closes.
class ForeignContent {
 public:
  // Decides what a start tag makes, were it to take effect now: marks it
  // foreign for an SVG or MathML element (an <svg> or <math> among HTML
  // too), and closes the foreign elements a tag that breaks out ends.
  // Returns whether the tag is read by the foreign rules, which know
  // nothing of selects, templates or raw text.
  bool Place(std::string_view page, Tag& tag);
  // The start tag last placed takes effect; `opens` tells whether an HTML
  // one opens an element (not a void one, nor raw text passed with its end).
  void Open(const Tag& tag, bool opens);
  // An end tag: closes what it closes, and marks it foreign when that is a
  // foreign element.
  void EndTag(Tag& tag);
  // Whether "<![CDATA[" starts a text section rather than a bogus comment.
  bool InForeignElement() const { return !stack_.empty() && stack_.back().space != Space::Html; }

 private:
  enum class Space { Html, Svg, MathMl };
  static constexpr std::size_t kNone = static_cast<std::size_t>(-1);
  // What is known of one tag name: where the open elements of that name
  // are, so that finding the one an end tag closes takes constant time.
  struct Name {
    std::vector<std::size_t> html, foreign;
    bool seen = false;
    bool special = false;     // an HTML element of it stops end tags without a rule of their own
    bool ownEndRule = false;  // its end tag has a rule of its own
  };
  struct Element {
    Space space;
    bool htmlPoint;       // start tags in it are HTML
    bool mathText;        // start tags in it are HTML but for mglyph and malignmark
    bool annotationXml;   // a MathML annotation-xml
    std::size_t topHtml;  // where the nearest HTML element at or below it is
    std::size_t barrier;  // where the nearest element at or below it is that no HTML end tag reaches past
    std::size_t special;  // the same for an end tag without a rule of its own
    std::size_t name;     // its name's number
  };
  Name& NameOf(const Tag& tag);
  void PopTo(std::size_t size);

  std::vector<Element> stack_;
  std::vector<Name> names_;  // by the names' numbers
  Space placed_ = Space::Html;
  bool annotationHtml_ = false;  // the placed tag is an annotation-xml holding HTML
};

}  // namespace pages
