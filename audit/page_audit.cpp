#include "audit/page_audit.h"

#include <algorithm>
#include <array>
#include <functional>
#include <set>
#include <string>

#include "host/text.h"
#include "pages/area_scanner.h"
#include "pages/page.h"

namespace audit {
namespace {

using pages::Tag;

// Elements that never hold content, so that their start tags open nothing.
constexpr std::array<std::string_view, 18> kVoidElements = {
    "area", "base",  "basefont", "bgsound", "br",    "col",   "embed", "frame", "hr",
    "img",  "input", "keygen",   "link",    "meta",  "param", "source", "track", "wbr"};

bool IsVoid(std::string_view name) {
  return std::find(kVoidElements.begin(), kVoidElements.end(), name) != kVoidElements.end();
}

bool IsBlank(const host::Text& text) {
  return std::all_of(text.begin(), text.end(),
                     [](char16_t c) { return c < 0x80 && pages::IsHtmlSpace(static_cast<char>(c)); });
}

bool IsBlank(std::string_view bytes) {
  return std::all_of(bytes.begin(), bytes.end(), [](char c) { return pages::IsHtmlSpace(c); });
}

struct OpenElement {
  std::string name;
  int map = -1;       // index into the page's maps, for a <map>
  int labelling = -1; // index into the page's ids, for an element with an id
};

struct SeenArea {
  Tag tag;
  int map;  // -1: outside any map
};

struct SeenId {
  host::Text id;
  bool hasText = false;
};

// One pass over the page's tags: the areas with the map each lies in, the
// maps' names and, for aria-labelledby, which ids name elements with text.
// The open elements are followed as their start and end tags nest; an end
// tag closes what was opened after its element, as a parser's does, except
// that </body> and </html> close nothing. What a parser closes without an
// end tag (a <p> before a <div>, an <li> before the next) stays open here:
// a map inside one then runs on to the next end tag that closes it.
class MapReader {
 public:
  MapReader(std::string_view page, pages::Encoding encoding, bool readIds)
      : page_(page), encoding_(encoding), readIds_(readIds) {}

  void operator()(Tag&& tag) {
    if (labellingOpen_ > 0 && !afterRawText_ && !IsBlank(page_.substr(lastEnd_, tag.begin - lastEnd_))) {
      for (const OpenElement& open : stack_) {
        if (open.labelling >= 0) ids[static_cast<std::size_t>(open.labelling)].hasText = true;
      }
    }
    lastEnd_ = tag.end;
    afterRawText_ = !tag.isEndTag && (tag.name == "script" || tag.name == "style");
    if (tag.isEndTag) {
      Close(tag.name);
      return;
    }
    if (tag.name == "area") {
      areas.push_back({std::move(tag), CurrentMap()});
      return;
    }
    if (IsVoid(tag.name)) return;
    OpenElement open{tag.name};
    if (tag.name == "map") {
      open.map = static_cast<int>(maps.size());
      maps.push_back(Value(tag, "name"));
    }
    if (readIds_) {
      if (auto id = Value(tag, "id")) {
        open.labelling = static_cast<int>(ids.size());
        ids.push_back({std::move(*id)});
        ++labellingOpen_;
      }
    }
    stack_.push_back(std::move(open));
  }

  std::optional<host::Text> Value(const Tag& tag, std::string_view name) const {
    const pages::TagAttribute* attribute = tag.Find(name);
    if (!attribute) return std::nullopt;
    return pages::AttributeValue(page_, *attribute, encoding_);
  }

  std::vector<SeenArea> areas;
  std::vector<std::optional<host::Text>> maps;  // each map's name
  std::vector<SeenId> ids;

 private:
  int CurrentMap() const {
    for (auto it = stack_.rbegin(); it != stack_.rend(); ++it) {
      if (it->map >= 0) return it->map;
    }
    return -1;
  }

  void Close(const std::string& name) {
    if (name == "body" || name == "html") return;
    const auto it = std::find_if(stack_.rbegin(), stack_.rend(), [&](const OpenElement& e) { return e.name == name; });
    if (it == stack_.rend()) return;
    const auto from = it.base() - 1;
    labellingOpen_ -= static_cast<int>(std::count_if(from, stack_.end(), [](const OpenElement& e) { return e.labelling >= 0; }));
    stack_.erase(from, stack_.end());
  }

  std::string_view page_;
  pages::Encoding encoding_;
  bool readIds_;
  std::vector<OpenElement> stack_;
  int labellingOpen_ = 0;
  std::size_t lastEnd_ = 0;
  bool afterRawText_ = false;
};

// Line and column of each offset, asked for in increasing order: lines
// found a block at a time, characters counted on the last line only.
class Positions {
 public:
  Positions(std::string_view page, pages::Encoding encoding) : page_(page), encoding_(encoding) {
    if (page_.substr(0, 3) == "\xEF\xBB\xBF") lineStart_ = 3;  // the mark is no character of the text
  }

  std::pair<std::size_t, std::size_t> Of(std::size_t offset) {
    // CR LF, LF and a lone CR each end a line.
    while (lineStart_ < offset) {
      const std::size_t feed = page_.find('\n', lineStart_);
      const std::size_t end = std::min(feed, offset);
      for (std::size_t cr = Find('\r', lineStart_, end); cr < end && cr + 1 != feed; cr = Find('\r', cr + 1, end)) {
        ++line_;
        lineStart_ = cr + 1;
      }
      if (feed >= offset) break;
      ++line_;
      lineStart_ = feed + 1;
    }
    return {line_, 1 + pages::CharacterCount(page_.substr(lineStart_, offset - lineStart_), encoding_)};
  }

 private:
  // Where `c` first is in [from, to), or `to`.
  std::size_t Find(char c, std::size_t from, std::size_t to) const {
    const std::size_t at = page_.substr(from, to - from).find(c);
    return at == std::string_view::npos ? to : from + at;
  }

  std::string_view page_;
  pages::Encoding encoding_;
  std::size_t lineStart_ = 0, line_ = 1;
};

std::optional<std::string> Utf8(const std::optional<host::Text>& text) {
  if (!text) return std::nullopt;
  return host::ToUtf8(*text);
}

}  // namespace

std::string_view RuleName(Rule rule) {
  switch (rule) {
    case Rule::MissingAlt: return "missing-alt";
    case Rule::EmptyAlt: return "empty-alt";
    case Rule::AltWithoutHref: return "alt-without-href";
  }
  return {};
}

PageAudit AuditPage(std::string_view bytes, pages::Encoding encoding, const AuditOptions& options) {
  MapReader reader(bytes, encoding, options.aria);
  pages::ScanTags(bytes, std::ref(reader));

  struct Texts {
    std::optional<host::Text> href, alt;
  };
  std::vector<Texts> texts;
  texts.reserve(reader.areas.size());
  for (const SeenArea& area : reader.areas) texts.push_back({reader.Value(area.tag, "href"), reader.Value(area.tag, "alt")});

  // (map, href) of the areas whose alt is not blank, for the shared-target exception.
  std::set<std::pair<int, host::Text>> describedTargets;
  if (options.sharedTarget) {
    for (std::size_t i = 0; i < texts.size(); ++i) {
      if (reader.areas[i].map >= 0 && texts[i].href && texts[i].alt && !IsBlank(*texts[i].alt)) {
        describedTargets.emplace(reader.areas[i].map, *texts[i].href);
      }
    }
  }
  const auto hasAriaText = [&](const Tag& tag) {
    for (const char* name : {"title", "aria-label"}) {
      if (const auto value = reader.Value(tag, name); value && !IsBlank(*value)) return true;
    }
    const auto labelledBy = reader.Value(tag, "aria-labelledby");
    if (!labelledBy) return false;
    for (std::size_t at = 0; at < labelledBy->size();) {
      const auto isSpace = [](char16_t c) { return c < 0x80 && pages::IsHtmlSpace(static_cast<char>(c)); };
      while (at < labelledBy->size() && isSpace((*labelledBy)[at])) ++at;
      std::size_t end = at;
      while (end < labelledBy->size() && !isSpace((*labelledBy)[end])) ++end;
      const host::Text id = labelledBy->substr(at, end - at);
      at = end;
      if (id.empty()) continue;
      const auto found = std::find_if(reader.ids.begin(), reader.ids.end(), [&](const SeenId& s) { return s.id == id; });
      if (found != reader.ids.end() && found->hasText) return true;
    }
    return false;
  };

  PageAudit audit;
  audit.areas = reader.areas.size();
  Positions positions(bytes, encoding);
  for (std::size_t i = 0; i < reader.areas.size(); ++i) {
    const SeenArea& area = reader.areas[i];
    if (area.map < 0) continue;
    const auto& [href, alt] = texts[i];
    std::optional<Rule> rule;
    if (href) {
      if (!alt) {
        rule = Rule::MissingAlt;
      } else if (IsBlank(*alt) && !describedTargets.count({area.map, *href})) {
        rule = Rule::EmptyAlt;
      }
      if (rule && options.aria && hasAriaText(area.tag)) rule.reset();
    } else if (alt) {
      rule = Rule::AltWithoutHref;
    }
    if (!rule) continue;
    const auto [line, column] = positions.Of(area.tag.begin);
    audit.findings.push_back(Finding{*rule, area.tag.begin, line, column,
                                     Utf8(reader.maps[static_cast<std::size_t>(area.map)]), i, Utf8(href), Utf8(alt)});
  }
  return audit;
}

}  // namespace audit
