#pragma once
// Reads one start or end tag from a page's bytes, keeping where each part of
// it lies so that an edit can change exactly those bytes.
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace pages {

enum class ValueForm {
  None,          // <area nohref>
  Empty,         // <area alt=>: an '=' and then the tag's end
  Unquoted,      // alt=x
  DoubleQuoted,  // alt="x"
  SingleQuoted,  // alt='x'
};

// Positions are byte offsets into the text the tag was read from.
struct TagAttribute {
  std::string name;  // ASCII letters lower-cased, as a parser reports it
  std::size_t leadBegin = 0;  // the whitespace before the name
  std::size_t nameBegin = 0;
  std::size_t nameEnd = 0;
  ValueForm form = ValueForm::None;
  std::size_t valueBegin = 0;  // the value's bytes, inside any quotes
  std::size_t valueEnd = 0;
  std::size_t end = 0;  // past the closing quote, if any
};

struct Tag {
  bool isEndTag = false;
  std::string name;  // lower-cased
  std::size_t begin = 0;      // the '<'
  std::size_t nameEnd = 0;
  std::size_t end = 0;        // past the '>'
  bool selfClosing = false;   // ends in "/>"
  // In SVG or MathML rather than HTML, as the scanner found it.
  bool foreign = false;
  // The name's number among the page's tag names, as the scanner gave it.
  std::size_t nameNumber = 0;
  // Where the scanner went on after the tag: past it, or past the text of
  // the raw-text element it opens and that element's end tag.
  std::size_t resume = 0;
  // For a start tag that opens raw text (a script, a style sheet, a title
  // ...), where that text ends, as the scanner found it: at its end tag's
  // '<' or the page's end.
  std::optional<std::size_t> rawTextEnd;
  // Every attribute as written; a parser keeps only the first of a name.
  std::vector<TagAttribute> attributes;
  // Where a new attribute goes: before the '>' or a self-closing '/', or
  // after the name when the last attribute has a bare '=' that would take it
  // as its value.
  std::size_t insertAt = 0;

  const TagAttribute* Find(std::string_view attributeName) const;
  // Whether the name is `lowered`: the lengths are compared first, which a
  // comparison with a C string does not do.
  bool Named(std::string_view lowered) const { return std::string_view(name) == lowered; }
};

// The tag whose '<' is at `begin`, followed by a letter, or by '/' and a
// letter. nullopt when the text ends inside the tag: a parser drops it.
std::optional<Tag> LexTag(std::string_view text, std::size_t begin);
// The same into `tag`, whose room is used again; false where nullopt.
bool LexTag(std::string_view text, std::size_t begin, Tag& tag);

bool IsHtmlSpace(char c);
// The same white space in decoded text, and text of nothing else.
bool IsHtmlSpace(char16_t c);
bool IsHtmlBlank(std::u16string_view text);
char AsciiLower(char c);

}  // namespace pages
