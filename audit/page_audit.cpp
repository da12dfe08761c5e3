#include "audit/page_audit.h"

#include <algorithm>
#include <functional>
#include <set>
#include <string>
#include <unordered_map>

#include "audit/markup_hiding.h"
#include "audit/text_positions.h"
#include "host/text.h"
#include "pages/area_scanner.h"
#include "pages/page.h"

namespace audit {
namespace {

using pages::Tag;

struct OpenElement {
  std::size_t name;  // its name's number
  int map = -1;        // the map this element lies in or is, as an index into the page's maps
  int labelling = -1;  // index into the page's ids, for an element with an id
};

struct SeenArea {
  Tag tag;
  int map;  // -1: outside any map
};

struct SeenId {
  host::Text id;
  bool hasText = false;
};

constexpr std::size_t kNone = static_cast<std::size_t>(-1);

// One pass over the page's tags: the areas with the map each lies in, the
// maps' names and, for aria-labelledby, which ids name elements with text.
// The open elements are followed as their start and end tags nest; an end
// tag closes what was opened after its element, as a parser's does, except
// that </body> and </html> close nothing. What a parser closes without an
// end tag (a <p> before a <div>, an <li> before the next) stays open here:
// a map inside one then runs on to the next end tag that closes it. SVG and
// MathML elements nest the same way and are never maps or areas. An id's
// text is what a browser's accessible name takes from the markup: no
// comments, nothing hidden below it, and the alt of its images.
// Every step is constant time but for the elements it closes, so that no
// shape of page costs more than a pass.
class MapReader {
 public:
  MapReader(std::string_view page, pages::Encoding encoding, bool readIds)
      : page_(page), encoding_(encoding), readIds_(readIds) {}

  void operator()(Tag&& tag) {
    // A script's or a style sheet's text is no text of the page; what
    // follows its end tag is. Found only where it counts.
    if (!labelling_.empty() && rawText_) lastEnd_ = pages::RawTextOf(page_, *rawText_)->after;
    if (!labelling_.empty() && pages::HoldsText(page_.substr(lastEnd_, tag.begin - lastEnd_))) {
      SeeText(HiddenFrom());
    }
    lastEnd_ = tag.end;
    rawText_.reset();
    if (readIds_ && !tag.isEndTag && !tag.foreign && (tag.Named("script") || tag.Named("style"))) rawText_ = tag;
    if (tag.isEndTag) {
      Close(tag);
      return;
    }
    const bool html = !tag.foreign;
    if (html && tag.Named("area")) {
      areas.push_back({std::move(tag), CurrentMap()});
      return;
    }
    if (readIds_ && html && tag.Named("img")) {
      // An image's text is its alt.
      if (const auto alt = Value(tag, "alt"); alt && !pages::IsHtmlBlank(*alt)) {
        SeeText(HidesContent(page_, tag, encoding_) ? HiddenFrom(stack_.size()) : HiddenFrom());
      }
    }
    if (html ? pages::IsVoidElement(tag.name) : tag.selfClosing) return;
    OpenElement open{tag.nameNumber, CurrentMap()};
    if (html && tag.Named("map")) {
      open.map = static_cast<int>(maps.size());
      maps.push_back(Value(tag, "name"));
    }
    if (readIds_) {
      if (auto id = Value(tag, "id")) {
        open.labelling = static_cast<int>(ids.size());
        ids.push_back({std::move(*id)});
        labelling_.push_back(stack_.size());
      }
      if (outermostHidden_ == kNone && HidesContent(page_, tag, encoding_)) outermostHidden_ = stack_.size();
    }
    if (open.name >= openByName_.size()) openByName_.resize(open.name + 1);
    ++openByName_[open.name];
    stack_.push_back(open);
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
  int CurrentMap() const { return stack_.empty() ? -1 : stack_.back().map; }

  // Where on the stack text stops counting for the elements below: from
  // the outermost element hidden by markup on. A hidden element named
  // directly still gives its text, as a browser's accessible name does.
  std::size_t HiddenFrom(std::size_t hiddenAt = kNone) const {
    const std::size_t from = std::min(outermostHidden_, hiddenAt);
    return from == kNone ? 0 : from;
  }

  // Text seen inside the open elements from `hiddenFrom` on. An element
  // that has text already had it when every element below it got theirs,
  // so the walk stops there.
  void SeeText(std::size_t hiddenFrom) {
    for (auto k = labelling_.rbegin(); k != labelling_.rend() && *k >= hiddenFrom; ++k) {
      SeenId& id = ids[static_cast<std::size_t>(stack_[*k].labelling)];
      if (id.hasText) break;
      id.hasText = true;
    }
  }

  void Close(const Tag& end) {
    if (end.Named("body") || end.Named("html")) return;
    if (end.nameNumber >= openByName_.size() || openByName_[end.nameNumber] == 0) return;
    for (;;) {
      const OpenElement closed = stack_.back();
      stack_.pop_back();
      --openByName_[closed.name];
      if (closed.labelling >= 0) labelling_.pop_back();
      if (outermostHidden_ == stack_.size()) outermostHidden_ = kNone;
      if (closed.name == end.nameNumber) return;
    }
  }

  std::string_view page_;
  pages::Encoding encoding_;
  bool readIds_;
  std::vector<OpenElement> stack_;
  std::vector<std::size_t> openByName_;  // by the names' numbers, how many of each are on the stack
  std::vector<std::size_t> labelling_;  // where on the stack the elements with an id are
  std::size_t outermostHidden_ = kNone;
  std::size_t lastEnd_ = 0;
  std::optional<Tag> rawText_;  // the script or style start tag just passed
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
      if (reader.areas[i].map >= 0 && texts[i].href && texts[i].alt && !pages::IsHtmlBlank(*texts[i].alt)) {
        describedTargets.emplace(reader.areas[i].map, *texts[i].href);
      }
    }
  }
  // The first element of each id is the one an id names.
  std::unordered_map<host::Text, bool> idHasText;
  for (const SeenId& seen : reader.ids) idHasText.emplace(seen.id, seen.hasText);
  const auto hasAriaText = [&](const Tag& tag) {
    for (const char* name : {"title", "aria-label"}) {
      if (const auto value = reader.Value(tag, name); value && !pages::IsHtmlBlank(*value)) return true;
    }
    const auto labelledBy = reader.Value(tag, "aria-labelledby");
    if (!labelledBy) return false;
    for (std::size_t at = 0; at < labelledBy->size();) {
      while (at < labelledBy->size() && pages::IsHtmlSpace((*labelledBy)[at])) ++at;
      std::size_t end = at;
      while (end < labelledBy->size() && !pages::IsHtmlSpace((*labelledBy)[end])) ++end;
      const host::Text id = labelledBy->substr(at, end - at);
      at = end;
      if (id.empty()) continue;
      const auto found = idHasText.find(id);
      if (found != idHasText.end() && found->second) return true;
    }
    return false;
  };

  PageAudit audit;
  audit.areas = reader.areas.size();
  TextPositions positions(bytes, encoding);
  for (std::size_t i = 0; i < reader.areas.size(); ++i) {
    const SeenArea& area = reader.areas[i];
    if (area.map < 0) continue;
    const auto& [href, alt] = texts[i];
    std::optional<Rule> rule;
    if (href) {
      if (!alt) {
        rule = Rule::MissingAlt;
      } else if (pages::IsHtmlBlank(*alt) && !describedTargets.count({area.map, *href})) {
        rule = Rule::EmptyAlt;
      }
      if (rule && options.aria && hasAriaText(area.tag)) rule.reset();
    } else if (alt) {
      rule = Rule::AltWithoutHref;
    }
    if (!rule) continue;
    const auto [line, column] = positions.Of(area.tag.begin);
    audit.findings.push_back(Finding{*rule, area.tag.begin, area.tag.end, line, column,
                                     Utf8(reader.maps[static_cast<std::size_t>(area.map)]), i, Utf8(href), Utf8(alt)});
  }
  return audit;
}

}  // namespace audit
