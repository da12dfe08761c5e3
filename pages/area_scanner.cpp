#include "pages/area_scanner.h"

#include <algorithm>
#include <array>
#include <utility>

#include "pages/foreign_content.h"
#include "pages/tag_names.h"

namespace pages {
namespace {

bool IsAsciiAlpha(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

bool MatchesNoCase(std::string_view text, std::size_t at, std::string_view lowered) {
  if (text.size() < at || text.size() - at < lowered.size()) return false;
  for (std::size_t k = 0; k < lowered.size(); ++k) {
    if (AsciiLower(text[at + k]) != lowered[k]) return false;
  }
  return true;
}

// "<name" or "</name" at `at`, ended as a tag name ends.
bool IsTagNamed(std::string_view text, std::size_t at, std::string_view name, bool endTag) {
  std::size_t nameAt = at + 1;
  if (endTag) {
    if (nameAt >= text.size() || text[nameAt] != '/') return false;
    ++nameAt;
  }
  if (!MatchesNoCase(text, nameAt, name)) return false;
  const std::size_t after = nameAt + name.size();
  return after < text.size() && (IsHtmlSpace(text[after]) || text[after] == '/' || text[after] == '>');
}

// Past the end tag at `at`, or the end of the page when it never closes.
std::size_t PastTag(std::string_view page, std::size_t at) {
  const auto tag = LexTag(page, at);
  return tag ? tag->end : page.size();
}

std::size_t PastNext(std::string_view page, std::size_t from, std::string_view terminator) {
  const std::size_t at = page.find(terminator, from);
  return at == std::string_view::npos ? page.size() : at + terminator.size();
}

// Text of raw-text and RCDATA elements runs to the matching end tag: only
// a '<' can begin it, so the text is passed a '<' at a time.
std::size_t RawTextEndTag(std::string_view page, std::size_t from, std::string_view name) {
  for (std::size_t at = page.find('<', from); at != std::string_view::npos; at = page.find('<', at + 1)) {
    if (IsTagNamed(page, at, name, true)) return at;
  }
  return page.size();
}

// Script text, with the escapes of "<!--" and a nested "<script>" inside it
// that keep a "</script>" from closing it. Only a '<' can change the state
// but for the "-->" that ends an escape, so the text is passed a '<' (or
// that "-->") at a time.
std::size_t ScriptEndTag(std::string_view page, std::size_t from) {
  enum class Mode { Plain, Escaped, DoubleEscaped } mode = Mode::Plain;
  std::size_t escapeEnd = std::string_view::npos;  // the '-' starting the "-->" that ends the escape
  for (std::size_t i = from; i < page.size();) {
    if (mode == Mode::Plain) {
      const std::size_t at = page.find('<', i);
      if (at == std::string_view::npos) break;
      if (IsTagNamed(page, at, "script", true)) return at;
      if (at + 1 < page.size() && page[at + 1] == '!' && page.compare(at, 4, "<!--") == 0) {
        mode = Mode::Escaped;
        i = at + 4;
        // The dashes of "<!--" count towards its end: "<!-->" ends it.
        escapeEnd = page.find("-->", at + 2);
      } else {
        i = at + 1;
      }
      continue;
    }
    const std::size_t at = page.substr(0, escapeEnd).find('<', i);
    if (at == std::string_view::npos) {
      if (escapeEnd == std::string_view::npos) break;
      mode = Mode::Plain;
      i = escapeEnd + 3;
    } else if (mode == Mode::Escaped && IsTagNamed(page, at, "script", true)) {
      return at;
    } else if (mode == Mode::Escaped && IsTagNamed(page, at, "script", false)) {
      mode = Mode::DoubleEscaped;
      i = at + 8;
    } else if (mode == Mode::DoubleEscaped && IsTagNamed(page, at, "script", true)) {
      mode = Mode::Escaped;
      i = at + 9;
    } else {
      i = at + 1;
    }
  }
  return page.size();
}

// Scripting is taken as off, as in the parsers we compare with, so the
// content of <noscript> is markup.
constexpr TagNameSet kRawTextElements({"style", "xmp", "iframe", "noembed", "noframes", "title", "textarea"});

// Elements that never hold content, so that their start tags open nothing.
constexpr TagNameSet kVoidElements({"area", "base", "basefont", "bgsound", "br", "col", "embed", "frame", "hr",
                                    "img", "input", "keygen", "link", "meta", "param", "source", "track", "wbr"});

// Start tags that end a <select> before they take effect.
constexpr TagNameSet kSelectEnders({"select", "input", "keygen", "textarea", "caption", "table", "tbody", "tfoot",
                                    "thead", "tr", "td", "th"});

// Inside a <select> a parser drops most start tags, <area> among them, and
// with them the switch to raw text; only scripts keep their meaning. A
// template opened inside the select is parsed as usual, and closing the
// template that holds a select closes the select too.
class SelectState {
 public:
  // Whether the start tag takes effect, at the given template depth.
  bool Admits(const Tag& tag, int templateDepth) {
    if (!open_ || templateDepth != depth_) {
      if (!open_ && tag.Named("select")) {
        open_ = true;
        depth_ = templateDepth;
      }
      return true;
    }
    if (kSelectEnders.Holds(tag.name)) {
      open_ = false;
      return !tag.Named("select");
    }
    return tag.Named("script") || tag.Named("template") || tag.Named("option") || tag.Named("optgroup");
  }

  // After an end tag, with the template depth it leaves.
  void Ended(const Tag& tag, int templateDepth) {
    if ((tag.Named("select") && templateDepth == depth_) || templateDepth < depth_) open_ = false;
  }

 private:
  bool open_ = false;
  int depth_ = 0;
};

// Past a markup declaration at `at` ("<!"): a comment, a doctype, or a
// bogus comment such as "<![CDATA[...]>", which ends at the first '>'.
std::size_t SkipDeclaration(std::string_view page, std::size_t at) {
  if (page.compare(at, 4, "<!--") != 0) return PastNext(page, at + 2, ">");
  const std::size_t body = at + 4;
  if (page.compare(body, 1, ">") == 0) return body + 1;   // <!-->
  if (page.compare(body, 2, "->") == 0) return body + 2;  // <!--->
  // A run of dashes is passed once: each "--" in it ends where it ends.
  for (std::size_t k = page.find("--", body); k != std::string_view::npos;) {
    std::size_t after = k + 2;
    while (after < page.size() && page[after] == '-') ++after;
    if (page.compare(after, 1, ">") == 0) return after + 1;
    if (page.compare(after, 2, "!>") == 0) return after + 2;
    k = page.find("--", after);
  }
  return page.size();
}

// Past the markup at `at`, a '<', that holds no text: a comment, a
// declaration, a tag a parser drops; `at` itself where the '<' is text.
std::size_t PastNonText(std::string_view markup, std::size_t at) {
  if (at + 1 >= markup.size()) return at;
  const char next = markup[at + 1];
  if (next == '!') return SkipDeclaration(markup, at);
  const bool endTag = next == '/' && at + 2 < markup.size();
  if (next == '?' || (endTag && !IsAsciiAlpha(markup[at + 2]))) return PastNext(markup, at + 2, ">");
  if (IsAsciiAlpha(next) || endTag) return PastTag(markup, at);
  return at;
}

}  // namespace

void ScanTags(std::string_view page, const std::function<void(Tag&&)>& onTag) {
  int templateDepth = 0;
  SelectState select;
  ForeignContent foreign;
  TagNameNumbers names;
  Tag tag;  // one for all, so that its room is used again
  for (std::size_t i = page.find('<'); i != std::string_view::npos && i + 1 < page.size(); i = page.find('<', i)) {
    const char next = page[i + 1];
    if (next == '!') {
      // In SVG and MathML, CDATA sections are text that may hold any markup.
      i = foreign.InForeignElement() && page.compare(i, 9, "<![CDATA[") == 0 ? PastNext(page, i + 9, "]]>")
                                                                             : SkipDeclaration(page, i);
    } else if (next == '?') {
      i = PastNext(page, i + 2, ">");
    } else if (next == '/') {
      if (i + 2 >= page.size()) break;
      if (!IsAsciiAlpha(page[i + 2])) {
        i = PastNext(page, i + 2, ">");  // "</>" is dropped, others are bogus comments
        continue;
      }
      if (!LexTag(page, i, tag)) break;
      tag.nameNumber = names.NumberOf(tag.name);
      i = tag.resume = tag.end;
      foreign.EndTag(tag);
      const bool closesTemplate = !tag.foreign && tag.Named("template") && templateDepth > 0;
      if (closesTemplate) --templateDepth;
      if (!tag.foreign) select.Ended(tag, templateDepth);
      if (templateDepth == 0 && !closesTemplate) onTag(std::move(tag));
    } else if (IsAsciiAlpha(next)) {
      if (!LexTag(page, i, tag)) break;
      tag.nameNumber = names.NumberOf(tag.name);
      const bool foreignRules = foreign.Place(page, tag);
      if (!foreignRules && !select.Admits(tag, templateDepth)) {
        i = tag.end;
        continue;
      }
      if (tag.foreign) {
        foreign.Open(tag, true);
        i = tag.end;
      } else {
        if (tag.Named("template")) ++templateDepth;
        // Past the raw text it opens, if it does.
        const auto text = RawTextOf(page, tag);
        if (text) tag.rawTextEnd = text->end;
        i = text ? text->after : tag.end;
        foreign.Open(tag, i == tag.end && !IsVoidElement(tag.name));
      }
      tag.resume = i;
      if (templateDepth == 0) onTag(std::move(tag));
    } else {
      ++i;
    }
  }
}

std::vector<Tag> ScanAreaTags(std::string_view page) {
  std::vector<Tag> areas;
  ScanTags(page, [&](Tag&& tag) {
    if (!tag.isEndTag && !tag.foreign && tag.Named("area")) areas.push_back(std::move(tag));
  });
  return areas;
}

std::optional<RawText> RawTextOf(std::string_view page, const Tag& tag) {
  if (!OpensRawText(tag)) return std::nullopt;
  std::size_t end;
  if (tag.Named("script")) {
    end = ScriptEndTag(page, tag.end);
  } else if (tag.Named("plaintext")) {
    end = page.size();
  } else {
    end = RawTextEndTag(page, tag.end, tag.name);
  }
  return RawText{end, end < page.size() ? PastTag(page, end) : page.size()};
}

bool OpensRawText(const Tag& tag) {
  return !tag.isEndTag && !tag.foreign && (tag.Named("script") || tag.Named("plaintext") || kRawTextElements.Holds(tag.name));
}

bool IsVoidElement(std::string_view name) { return kVoidElements.Holds(name); }

std::string_view NextTextRun(std::string_view markup, std::size_t& at) {
  while (at < markup.size()) {
    if (markup[at] != '<') {
      const std::size_t end = std::min(markup.find('<', at + 1), markup.size());
      const std::string_view run = markup.substr(at, end - at);
      at = end;
      return run;
    }
    const std::size_t past = PastNonText(markup, at);
    if (past == at) return markup.substr(at++, 1);  // a '<' that is text
    at = past;
  }
  return {};
}

bool HoldsText(std::string_view markup) {
  for (std::size_t at = 0; at < markup.size();) {
    const std::string_view run = NextTextRun(markup, at);
    if (!std::all_of(run.begin(), run.end(), [](char c) { return IsHtmlSpace(c); })) return true;
  }
  return false;
}

}  // namespace pages
