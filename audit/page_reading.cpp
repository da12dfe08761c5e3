#include "audit/page_reading.h"

#include <algorithm>
#include <functional>

#include "audit/markup_hiding.h"
#include "pages/area_scanner.h"
#include "pages/character_references.h"
#include "pages/page.h"

namespace audit {
namespace {

using pages::Tag;

// A link's text longer than this is no alt text; more is not kept.
constexpr std::size_t kKeptText = 1024;
// Nor is a place's text longer than this a name for a link to it.
constexpr std::size_t kKeptPlaceText = 151;

constexpr std::size_t kNone = static_cast<std::size_t>(-1);

struct OpenElement {
  std::size_t name;    // its name's number
  int map = -1;        // the map this element lies in or is, as an index into the page's maps
  int node = -1;       // index into the name nodes, for an element kept for them
  bool closedDetails = false, summarySeen = false;
  bool unrendered = false;  // a <template> or <noscript>
  int fragment = -1;   // index into the fragments' texts, for an element an id or a name names
  bool heading = false;
};

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
class PageReader {
 public:
  PageReader(std::string_view page, pages::Encoding encoding, ReadingNeeds needs)
      : page_(page), encoding_(encoding), needs_(needs) {}

  void operator()(Tag&& tag) {
    if (tag.begin > lastEnd_ && (link_ || kept_ > 0 || !places_.empty() || !emptyPlaces_.empty())) {
      SeeTextBefore(tag.begin);
    }
    lastEnd_ = tag.end;
    rawText_.reset();
    const bool html = !tag.foreign;
    if (tag.isEndTag) {
      if (link_ && tag.Named("a")) EndLink();
      Close(tag);
      return;
    }
    const int node = KeepNode(tag, html);
    if (html && tag.Named("area")) {
      AddArea(tag);
      return;
    }
    if (html && tag.Named("img")) SeeImage(tag);
    if (needs_.facts && tag.Named("a")) {
      EndLink();  // a link inside a link closes the first
      if (auto href = Value(tag, "href")) link_ = Link{std::move(*href), {}};
    }
    if ((needs_.facts || needs_.labels) && tag.rawTextEnd) {
      if (needs_.facts && tag.Named("title") && !titleSeen_) SeeTitle(tag);
      // What RawTextOf reads of it, without the attributes.
      rawText_.emplace();
      rawText_->name = tag.name;
      rawText_->begin = tag.begin;
      rawText_->end = tag.end;
      rawText_->resume = tag.resume;
    }
    if (html ? pages::IsVoidElement(tag.name) : tag.selfClosing) return;
    OpenElement open{tag.nameNumber, CurrentMap()};
    open.node = node;
    if (needs_.facts) OpenPlace(tag, open);
    if (html && tag.Named("map")) {
      open.map = static_cast<int>(reading.maps.size());
      auto name = Value(tag, "name");
      auto id = Value(tag, "id");
      reading.maps.push_back(name && !name->empty() ? std::move(name) : id);
      reading.mapIds.push_back(std::move(id));
    }
    if (needs_.labels) {
      if (node >= 0) ++kept_;
      if (outermostHidden_ == kNone && hidesLast_) outermostHidden_ = stack_.size();
      open.closedDetails = html && tag.Named("details") && !tag.Find("open");
      open.unrendered = html && (tag.Named("template") || tag.Named("noscript"));
      if (open.unrendered) ++unrendered_;
    }
    if (open.name >= openByName_.size()) openByName_.resize(open.name + 1);
    ++openByName_[open.name];
    stack_.push_back(open);
  }

  PageReading Finish() {
    EndLink();
    if (needs_.facts) FindMapImages();
    // Elements left open at the end hold all that followed them.
    for (const OpenElement& open : stack_) {
      if (open.node >= 0) reading.names.nodes[static_cast<std::size_t>(open.node)].end = static_cast<std::uint32_t>(reading.names.nodes.size());
    }
    for (PlaceText& place : placeTexts_) {
      if (!place.name) continue;
      host::Text text = CollapseSpace(place.text);
      if (text.empty() || pages::CharacterCount(text) >= kKeptPlaceText) continue;
      reading.fragments.emplace(std::move(*place.name), std::move(text));
    }
    return std::move(reading);
  }

 private:
  struct Link {
    host::Text href;
    host::Text text;
  };

  std::optional<host::Text> Value(const Tag& tag, std::string_view name) const {
    const pages::TagAttribute* attribute = tag.Find(name);
    if (!attribute) return std::nullopt;
    return pages::AttributeValue(page_, *attribute, encoding_);
  }

  // Character references in text are read with the rules for attribute
  // values; they differ only for a legacy name without ';' before a letter.
  host::Text Decoded(std::string_view bytes) const {
    return pages::DecodeAttributeReferences(pages::Decode(bytes, encoding_));
  }

  int CurrentMap() const { return stack_.empty() ? -1 : stack_.back().map; }

  void AddArea(const Tag& tag) {
    ReadArea area;
    area.begin = tag.begin;
    area.end = tag.end;
    area.map = CurrentMap();
    area.href = Value(tag, "href");
    area.alt = Value(tag, "alt");
    if (needs_.labels || needs_.facts) {
      area.title = Value(tag, "title");
      area.ariaLabel = Value(tag, "aria-label");
      area.ariaLabelledBy = Value(tag, "aria-labelledby");
    }
    if (needs_.shapes) {
      area.shape = Value(tag, "shape");
      area.coords = Value(tag, "coords");
    }
    if (needs_.facts) {
      if (area.href && area.alt && !pages::IsHtmlBlank(*area.alt)) {
        reading.links.push_back({PageLink::Kind::AreaAlt, {}, {}, reading.areas.size()});
      }
    }
    reading.areas.push_back(std::move(area));
  }

  void SeeImage(const Tag& tag) {
    if (!needs_.labels && !needs_.facts) return;
    auto alt = Value(tag, "alt");
    const bool hasAlt = alt && !pages::IsHtmlBlank(*alt);
    if (!needs_.facts) return;
    if (link_ && hasAlt) reading.links.push_back({PageLink::Kind::ImageAlt, link_->href, std::move(*alt)});
    if (auto usemap = Value(tag, "usemap")) {
      reading.images.push_back({std::move(usemap), Value(tag, "src"), Value(tag, "width"), Value(tag, "height")});
    }
  }

  void SeeTitle(const Tag& tag) {
    titleSeen_ = true;
    const std::size_t end = *tag.rawTextEnd;
    host::Text title = CollapseSpace(Decoded(page_.substr(tag.end, end - tag.end)));
    if (!title.empty()) reading.title = std::move(title);
  }

  // The text between the last tag and the one at `until`. A script's or a
  // style sheet's text is no text of the page, nor is any raw text part of
  // a link's; what follows its end tag is.
  void SeeTextBefore(std::size_t until) {
    std::size_t textFrom = lastEnd_, linkFrom = lastEnd_;
    if (rawText_) {
      linkFrom = rawText_->resume;
      // A <noscript>'s text is never rendered with scripting on.
      if (rawText_->Named("script") || rawText_->Named("style") || rawText_->Named("noscript")) textFrom = linkFrom;
    }
    if (kept_ > 0 && unrendered_ == 0 && until > textFrom && RenderedText(page_.substr(textFrom, until - textFrom))) {
      AddTextNode();
    }
    const bool forLink = link_ && link_->text.size() <= kKeptText;
    const bool forPlace = !places_.empty() && !placeTexts_[places_.back()].full;
    if ((forLink || forPlace || !emptyPlaces_.empty()) && until > linkFrom) {
      const std::string_view gap = page_.substr(linkFrom, until - linkFrom);
      std::string text;
      for (std::size_t at = 0; at < gap.size();) text += pages::NextTextRun(gap, at);
      const host::Text decoded = Decoded(text);
      if (forLink) link_->text += decoded;
      if (!pages::IsHtmlBlank(decoded)) {
        emptyPlaces_.clear();  // text between a place and a heading: the heading is not its
        SeePlaceText(decoded);
      }
    }
  }

  // Whether the markup between two tags holds text outside any template:
  // ScanTags passes over a template and its contents, which are no text.
  static bool RenderedText(std::string_view gap) {
    for (std::size_t at = 0; at < gap.size();) {
      std::size_t open = kNone;
      for (std::size_t k = gap.find('<', at); k != std::string_view::npos; k = gap.find('<', k + 1)) {
        if (TemplateTagAt(gap, k + 1)) {
          open = k;
          break;
        }
      }
      if (pages::HoldsText(gap.substr(at, open == kNone ? gap.size() - at : open - at))) return true;
      if (open == kNone) return false;
      std::size_t close = kNone;
      for (std::size_t k = gap.find("</", open); k != std::string_view::npos; k = gap.find("</", k + 2)) {
        if (TemplateTagAt(gap, k + 2)) {
          close = k;
          break;
        }
      }
      if (close == kNone) return false;
      at = gap.find('>', close);
      if (at == std::string_view::npos) return false;
      ++at;
    }
    return false;
  }

  static bool TemplateTagAt(std::string_view gap, std::size_t at) {
    constexpr std::string_view kName = "template";
    if (gap.size() - std::min(at, gap.size()) < kName.size()) return false;
    for (std::size_t k = 0; k < kName.size(); ++k) {
      if (pages::AsciiLower(gap[at + k]) != kName[k]) return false;
    }
    return true;
  }

  // An element an id names, or an a a name names, is a place a link can
  // lead to; a heading gives its text to an empty place that starts it or
  // comes right before it.
  void OpenPlace(const Tag& tag, OpenElement& open) {
    std::optional<host::Text> name = Value(tag, "id");
    if (!name && tag.Named("a")) name = Value(tag, "name");
    const bool heading = !tag.foreign && tag.name.size() == 2 && tag.name[0] == 'h' && tag.name[1] >= '1' && tag.name[1] <= '6';
    if (!name && !heading) return;
    open.fragment = static_cast<int>(placeTexts_.size());
    open.heading = heading;
    placeTexts_.push_back({std::move(name), {}, false, {}});
    places_.push_back(placeTexts_.size() - 1);
    // The places that ended empty just before it are named by it.
    if (heading) placeTexts_.back().waiting = std::move(emptyPlaces_);
    emptyPlaces_.clear();
  }

  // Text seen inside the open places. An outer place holds every text an
  // inner one does, so once one is full all outside it are.
  void SeePlaceText(const host::Text& text) {
    for (auto k = places_.rbegin(); k != places_.rend(); ++k) {
      PlaceText& place = placeTexts_[*k];
      if (place.full) break;
      place.text += text;
      place.full = place.text.size() > kKeptPlaceText * 2;
    }
  }

  void ClosePlace(const OpenElement& closed) {
    const auto index = static_cast<std::size_t>(closed.fragment);
    places_.pop_back();
    PlaceText& place = placeTexts_[index];
    if (closed.heading) {
      for (const std::size_t waiting : place.waiting) {
        if (pages::IsHtmlBlank(placeTexts_[waiting].text)) placeTexts_[waiting].text = place.text;
      }
      place.waiting = {};
    } else if (pages::IsHtmlBlank(place.text)) {
      // An empty place that starts a heading is named by it.
      if (!places_.empty() && !placeTexts_[places_.back()].name && pages::IsHtmlBlank(placeTexts_[places_.back()].text)) {
        placeTexts_[places_.back()].waiting.push_back(index);
      } else {
        emptyPlaces_.push_back(index);
      }
    }
  }

  void EndLink() {
    if (!link_) return;
    host::Text text = CollapseSpace(link_->text);
    if (!text.empty()) reading.links.push_back({PageLink::Kind::Text, std::move(link_->href), std::move(text)});
    link_.reset();
  }

  // Text directly in a closed <details> is shown only in its first
  // <summary>; an element there is hidden unless it is that summary.
  bool HiddenByDetails(const Tag& tag, bool html) {
    if (stack_.empty() || !stack_.back().closedDetails) return false;
    if (html && tag.Named("summary") && !stack_.back().summarySeen) {
      stack_.back().summarySeen = true;
      return false;
    }
    return true;
  }

  // A node for the element of `tag` when it has an id or lies inside one
  // that has; its index, or -1. Sets hidesLast_ for the element's content.
  int KeepNode(const Tag& tag, bool html) {
    hidesLast_ = false;
    if (!needs_.labels || unrendered_ > 0) return -1;
    hidesLast_ = HiddenByDetails(tag, html) || HidesContent(page_, tag, encoding_);
    auto id = Value(tag, "id");
    if (!id && kept_ == 0) return -1;
    std::uint32_t facts = hidesLast_ ? NameNode::Hidden | NameNode::InHidden : 0;
    if (outermostHidden_ != kNone) facts |= NameNode::InHidden;
    const auto nonBlank = [&](std::string_view name) {
      const auto value = Value(tag, name);
      return value && !pages::IsHtmlBlank(*value);
    };
    if (nonBlank("aria-label")) facts |= NameNode::AriaLabel;
    if (nonBlank("title")) facts |= NameNode::Title;
    if (html) {
      if (const auto role = Value(tag, "role")) {
        const host::Text first = CollapseSpace(*role).substr(0, CollapseSpace(*role).find(u' '));
        if (AsciiLowered(first) == "presentation" || AsciiLowered(first) == "none") facts |= NameNode::Presentational;
      }
      const bool image = tag.Named("img"), area = tag.Named("area"), input = tag.Named("input");
      if (image || area || input) {
        if (const auto alt = Value(tag, "alt")) facts |= NameNode::AltPresent | (pages::IsHtmlBlank(*alt) ? 0u : std::uint32_t{NameNode::AltText});
      }
      if (image) facts |= NameNode::Image;
      if (area) facts |= NameNode::Area;
      if (input) facts |= InputFacts(tag, nonBlank("value"));
      if (tag.Named("textarea")) facts |= NameNode::Control;
    }
    const auto index = static_cast<std::uint32_t>(reading.names.nodes.size());
    reading.names.nodes.push_back({index + 1, facts});
    if (id) reading.names.ids.emplace(std::move(*id), index);  // the first of each id is the one it names
    if (html ? pages::IsVoidElement(tag.name) : tag.selfClosing) return -1;
    return static_cast<int>(index);
  }

  static std::string AsciiLowered(std::u16string_view text) {
    std::string out;
    for (const char16_t c : text) out += c < 0x80 ? pages::AsciiLower(static_cast<char>(c)) : '?';
    return out;
  }

  // What an input's value gives: a field's value, a range's (its middle
  // without one), a button's value or the browser's default label.
  std::uint32_t InputFacts(const Tag& tag, bool value) const {
    const auto typeValue = Value(tag, "type");
    const std::string type = typeValue ? AsciiLowered(CollapseSpace(*typeValue)) : "text";
    if (type == "hidden") return NameNode::Hidden | NameNode::InHidden;
    if (type == "range") return NameNode::Control | NameNode::Value;
    if (type == "submit" || type == "reset" || type == "image") {
      return NameNode::NativeValue | ((value || !tag.Find("value") || type == "image") ? std::uint32_t{NameNode::Value} : 0u);
    }
    if (type == "button") return NameNode::NativeValue | (value ? std::uint32_t{NameNode::Value} : 0u);
    for (const char* field : {"text", "search", "email", "url", "tel", "password", "number"}) {
      if (type == field) return NameNode::Control | (value ? std::uint32_t{NameNode::Value} : 0u);
    }
    return 0;
  }

  void AddTextNode() {
    std::uint32_t facts = NameNode::Text;
    if (!stack_.empty() && stack_.back().closedDetails) facts |= NameNode::Hidden | NameNode::InHidden;
    if (outermostHidden_ != kNone) facts |= NameNode::InHidden;
    const auto index = static_cast<std::uint32_t>(reading.names.nodes.size());
    reading.names.nodes.push_back({index + 1, facts});
  }

  // For each map, the first image whose usemap names it: the map of "#x"
  // is the first whose name or id is x.
  void FindMapImages() {
    std::unordered_map<host::Text, std::size_t> firstMap;
    for (std::size_t m = reading.maps.size(); m-- > 0;) {
      for (const auto* key : {&reading.mapIds[m], &reading.maps[m]}) {
        if (*key && !(*key)->empty()) firstMap[**key] = m;
      }
    }
    reading.mapImages.assign(reading.maps.size(), -1);
    for (std::size_t i = 0; i < reading.images.size(); ++i) {
      const auto& usemap = reading.images[i].usemap;
      const std::size_t hash = usemap ? usemap->find(u'#') : host::Text::npos;
      if (hash == host::Text::npos) continue;
      const auto found = firstMap.find(usemap->substr(hash + 1));
      if (found != firstMap.end() && reading.mapImages[found->second] < 0) reading.mapImages[found->second] = static_cast<int>(i);
    }
  }

  void Close(const Tag& end) {
    if (end.Named("body") || end.Named("html")) return;
    if (end.nameNumber >= openByName_.size() || openByName_[end.nameNumber] == 0) return;
    for (;;) {
      const OpenElement closed = stack_.back();
      stack_.pop_back();
      --openByName_[closed.name];
      if (closed.node >= 0) {
        --kept_;
        reading.names.nodes[static_cast<std::size_t>(closed.node)].end = static_cast<std::uint32_t>(reading.names.nodes.size());
      }
      if (closed.unrendered) --unrendered_;
      if (closed.fragment >= 0 || closed.heading) ClosePlace(closed);
      if (outermostHidden_ == stack_.size()) outermostHidden_ = kNone;
      if (closed.name == end.nameNumber) return;
    }
  }

  PageReading reading;
  std::string_view page_;
  pages::Encoding encoding_;
  ReadingNeeds needs_;
  std::vector<OpenElement> stack_;
  std::vector<std::size_t> openByName_;  // by the names' numbers, how many of each are on the stack
  std::size_t kept_ = 0;        // open elements with a name node
  std::size_t unrendered_ = 0;  // open <template>s and <noscript>s
  bool hidesLast_ = false;      // whether the last start tag hides what it holds
  std::size_t outermostHidden_ = kNone;
  std::size_t lastEnd_ = 0;
  std::optional<Tag> rawText_;  // the raw-text start tag just passed
  std::optional<Link> link_;
  bool titleSeen_ = false;
  struct PlaceText {
    std::optional<host::Text> name;  // none for a heading
    host::Text text;
    bool full = false;
    std::vector<std::size_t> waiting;  // of a heading: the empty places it names
  };
  std::vector<PlaceText> placeTexts_;
  std::vector<std::size_t> places_;       // the open places and headings, outermost first
  std::vector<std::size_t> emptyPlaces_;  // places ended empty since the last text
};

}  // namespace

host::Text CollapseSpace(std::u16string_view text) {
  host::Text out;
  bool space = false;
  for (const char16_t c : text) {
    if (pages::IsHtmlSpace(c)) {
      space = !out.empty();
    } else {
      if (space) out += u' ';
      space = false;
      out += c;
    }
  }
  return out;
}

const host::Text& PageLink::HrefIn(const PageReading& reading) const {
  return kind == Kind::AreaAlt ? *reading.areas[area].href : href;
}

const host::Text& PageLink::TextIn(const PageReading& reading) const {
  return kind == Kind::AreaAlt ? *reading.areas[area].alt : text;
}

const PageImage* ImageOfMap(const PageReading& reading, std::size_t map) {
  if (map >= reading.mapImages.size() || reading.mapImages[map] < 0) return nullptr;
  return &reading.images[static_cast<std::size_t>(reading.mapImages[map])];
}

PageReading ReadPage(std::string_view markup, pages::Encoding encoding, ReadingNeeds needs) {
  PageReader reader(markup, encoding, needs);
  pages::ScanTags(markup, std::ref(reader));
  return reader.Finish();
}

}  // namespace audit
