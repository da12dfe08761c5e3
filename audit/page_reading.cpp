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

constexpr std::size_t kNone = static_cast<std::size_t>(-1);

struct OpenElement {
  std::size_t name;    // its name's number
  int map = -1;        // the map this element lies in or is, as an index into the page's maps
  int labelling = -1;  // index into the page's ids, for an element with an id
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
    if (tag.begin > lastEnd_ && (link_ || !labelling_.empty())) SeeTextBefore(tag.begin);
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
    }
    if (html ? pages::IsVoidElement(tag.name) : tag.selfClosing) return;
    OpenElement open{tag.nameNumber, CurrentMap()};
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
    if (needs_.facts) {
      area.shape = Value(tag, "shape");
      area.coords = Value(tag, "coords");
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
      linkFrom = pages::RawTextOf(page_, *rawText_)->after;
      if (rawText_->Named("script") || rawText_->Named("style")) textFrom = linkFrom;
    }
    if (!labelling_.empty() && until > textFrom && pages::HoldsText(page_.substr(textFrom, until - textFrom))) {
      SeeText(HiddenFrom());
    }
    if (link_ && until > linkFrom && link_->text.size() <= kKeptText) {
      const std::string_view gap = page_.substr(linkFrom, until - linkFrom);
      std::string text;
      for (std::size_t at = 0; at < gap.size();) text += pages::NextTextRun(gap, at);
      link_->text += Decoded(text);
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

PageReading ReadPage(std::string_view markup, pages::Encoding encoding, ReadingNeeds needs) {
  PageReader reader(markup, encoding, needs);
  pages::ScanTags(markup, std::ref(reader));
  return reader.Finish();
}

}  // namespace audit
