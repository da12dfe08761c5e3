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
  int labelling = -1;  // index into the page's ids, for an element with an id
  int fragment = -1;   // index into the fragments' texts, for an element an id or a name names
  bool heading = false;
};

struct SeenId {
  host::Text id;
  bool hasText = false;
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
    if (tag.begin > lastEnd_ && (link_ || !labelling_.empty() || !places_.empty() || !emptyPlaces_.empty())) {
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
    if (html && tag.Named("area")) {
      AddArea(tag);
      return;
    }
    if (html && tag.Named("img")) SeeImage(tag);
    if (needs_.facts && tag.Named("a")) {
      EndLink();  // a link inside a link closes the first
      if (auto href = Value(tag, "href")) link_ = Link{std::move(*href), {}};
    }
    if ((needs_.facts || needs_.labels) && pages::OpensRawText(tag)) {
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
    if (needs_.facts) OpenPlace(tag, open);
    if (html && tag.Named("map")) {
      open.map = static_cast<int>(reading.maps.size());
      reading.maps.push_back(Value(tag, "name"));
    }
    if (needs_.labels) {
      if (auto id = Value(tag, "id")) {
        open.labelling = static_cast<int>(ids_.size());
        ids_.push_back({std::move(*id)});
        labelling_.push_back(stack_.size());
      }
      if (outermostHidden_ == kNone && HidesContent(page_, tag, encoding_)) outermostHidden_ = stack_.size();
    }
    if (open.name >= openByName_.size()) openByName_.resize(open.name + 1);
    ++openByName_[open.name];
    stack_.push_back(open);
  }

  PageReading Finish() {
    EndLink();
    // The first element of each id is the one an id names.
    for (SeenId& seen : ids_) reading.idHasText.emplace(std::move(seen.id), seen.hasText);
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
        reading.links.push_back({PageLink::Kind::AreaAlt, *area.href, *area.alt});
      }
    }
    reading.areas.push_back(std::move(area));
  }

  void SeeImage(const Tag& tag) {
    if (!needs_.labels && !needs_.facts) return;
    const auto alt = Value(tag, "alt");
    const bool hasAlt = alt && !pages::IsHtmlBlank(*alt);
    // An image's text is its alt.
    if (needs_.labels && hasAlt) {
      SeeText(HidesContent(page_, tag, encoding_) ? HiddenFrom(stack_.size()) : HiddenFrom());
    }
    if (!needs_.facts) return;
    if (link_ && hasAlt) reading.links.push_back({PageLink::Kind::ImageAlt, link_->href, *alt});
    if (auto usemap = Value(tag, "usemap")) {
      reading.images.push_back({std::move(usemap), Value(tag, "src"), Value(tag, "width"), Value(tag, "height")});
    }
  }

  void SeeTitle(const Tag& tag) {
    titleSeen_ = true;
    const std::size_t end = pages::RawTextOf(page_, tag)->end;
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
      if (rawText_->Named("script") || rawText_->Named("style")) textFrom = linkFrom;
    }
    if (!labelling_.empty() && until > textFrom && pages::HoldsText(page_.substr(textFrom, until - textFrom))) {
      SeeText(HiddenFrom());
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
      SeenId& id = ids_[static_cast<std::size_t>(stack_[*k].labelling)];
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
  std::vector<SeenId> ids_;
  std::vector<std::size_t> labelling_;  // where on the stack the elements with an id are
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

const PageImage* ImageOfMap(const PageReading& reading, std::size_t map) {
  const auto& name = reading.maps[map];
  if (!name) return nullptr;
  for (const PageImage& image : reading.images) {
    if (image.usemap && image.usemap->starts_with(u"#") && image.usemap->substr(1) == *name) return &image;
  }
  return nullptr;
}

PageReading ReadPage(std::string_view markup, pages::Encoding encoding, ReadingNeeds needs) {
  PageReader reader(markup, encoding, needs);
  pages::ScanTags(markup, std::ref(reader));
  return reader.Finish();
}

}  // namespace audit
