#include "audit/page_outline.h"

#include <functional>

#include "pages/area_scanner.h"
#include "pages/character_references.h"
#include "pages/page.h"

namespace audit {
namespace {

using pages::Tag;

// A link's text longer than this is no alt text; more is not kept.
constexpr std::size_t kKeptText = 1024;

// Text between two tags without the comments and other markup the tag
// scanner passed over there.
std::string TextOf(std::string_view gap) {
  std::string text;
  for (std::size_t at = 0; at < gap.size();) text += pages::NextTextRun(gap, at);
  return text;
}

class OutlineReader {
 public:
  OutlineReader(std::string_view page, pages::Encoding encoding) : page_(page), encoding_(encoding) {}

  void operator()(Tag&& tag) {
    if (link_ && tag.begin > lastEnd_) AddText(page_.substr(lastEnd_, tag.begin - lastEnd_));
    lastEnd_ = tag.end;
    // The scanner passes over such an element's text and its end tag: the
    // link's text goes on after them.
    const auto rawText = pages::RawTextOf(page_, tag);
    if (rawText) lastEnd_ = rawText->after;
    if (tag.isEndTag) {
      if (tag.name == "a") EndLink();
      if (tag.name == "map") map_ = -1;
      return;
    }
    if (tag.name == "a") {
      EndLink();  // a link inside a link closes the first
      if (auto href = Value(tag, "href")) link_ = Link{std::move(*href), {}};
    } else if (tag.name == "area") {
      OutlineArea area{map_, Value(tag, "shape"), Value(tag, "coords"), Value(tag, "href"), Value(tag, "alt"),
                       Value(tag, "title"), Value(tag, "aria-label")};
      if (area.href && area.alt && !pages::IsHtmlBlank(*area.alt)) {
        outline.links.push_back({OutlineLink::Kind::AreaAlt, *area.href, *area.alt});
      }
      outline.areas.push_back(std::move(area));
    } else if (tag.name == "img") {
      const auto alt = Value(tag, "alt");
      if (link_ && alt && !pages::IsHtmlBlank(*alt)) outline.links.push_back({OutlineLink::Kind::ImageAlt, link_->href, *alt});
      if (auto usemap = Value(tag, "usemap")) {
        outline.images.push_back({std::move(usemap), Value(tag, "src"), Value(tag, "width"), Value(tag, "height")});
      }
    } else if (tag.name == "map") {
      map_ = static_cast<int>(outline.maps.size());
      outline.maps.push_back(Value(tag, "name"));
    } else if (tag.name == "title" && rawText && !titleSeen_) {
      titleSeen_ = true;
      host::Text title = CollapseSpace(Decoded(page_.substr(tag.end, rawText->end - tag.end)));
      if (!title.empty()) outline.title = std::move(title);
    }
  }

  void Finish() { EndLink(); }

  PageOutline outline;

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

  void AddText(std::string_view gap) {
    if (link_->text.size() > kKeptText) return;
    link_->text += Decoded(TextOf(gap));
  }

  void EndLink() {
    if (!link_) return;
    host::Text text = CollapseSpace(link_->text);
    if (!text.empty()) outline.links.push_back({OutlineLink::Kind::Text, std::move(link_->href), std::move(text)});
    link_.reset();
  }

  std::string_view page_;
  pages::Encoding encoding_;
  std::optional<Link> link_;
  int map_ = -1;
  std::size_t lastEnd_ = 0;
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

PageOutline ReadPageOutline(std::string_view bytes, pages::Encoding encoding) {
  OutlineReader reader(bytes, encoding);
  pages::ScanTags(bytes, std::ref(reader));
  reader.Finish();
  return std::move(reader.outline);
}

}  // namespace audit
