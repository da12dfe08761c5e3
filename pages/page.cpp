#include "pages/page.h"

#include <algorithm>
#include <utility>

#include "host/error.h"
#include "pages/area_scanner.h"
#include "pages/character_references.h"
#include "pages/page_file.h"

namespace pages {
namespace {

Encoding EncodingOrFail(std::string_view bytes, const std::string& path) {
  const DetectedEncoding detected = DetectEncoding(bytes);
  const std::string page = "Cannot read the page \"" + path + "\": its encoding \"" + detected.label + "\"";
  if (!detected.encoding) {
    throw host::Error(code::BadFileMode, host::FromUtf8(page + " is one browsers do not read: they show the page as "
                                                               "a single replacement character"));
  }
  if (!CanConvert(*detected.encoding)) {
    throw host::Error(code::BadFileMode, host::FromUtf8(page + " has no converter on this system"));
  }
  return *detected.encoding;
}

std::optional<Utf8Copy> CopyIfNeeded(std::string_view bytes, Encoding encoding) {
  if (TagsAreAsciiBytes(encoding)) return std::nullopt;
  return CopyInUtf8(bytes, encoding);
}

// Attribute names as a parser compares them; nullopt for a name that no
// tag could hold.
std::optional<std::string> AttributeName(std::u16string_view name) {
  if (name.empty()) return std::nullopt;
  std::string lowered;
  for (const char16_t c : name) {
    if (c >= 0x80 || c <= 0x20 || c == u'"' || c == u'\'' || c == u'/' || c == u'<' || c == u'>' || c == u'=') {
      return std::nullopt;
    }
    lowered += AsciiLower(static_cast<char>(c));
  }
  return lowered;
}

}  // namespace

host::Text AttributeValue(std::string_view text, const TagAttribute& attribute, Encoding encoding) {
  const host::Text decoded = Decode(text.substr(attribute.valueBegin, attribute.valueEnd - attribute.valueBegin), encoding);
  host::Text out;
  out.reserve(decoded.size());
  for (std::size_t i = 0; i < decoded.size(); ++i) {
    if (decoded[i] == u'\r') {
      out += u'\n';
      if (i + 1 < decoded.size() && decoded[i + 1] == u'\n') ++i;
    } else {
      out += decoded[i] == u'\0' ? u'\uFFFD' : decoded[i];
    }
  }
  return DecodeAttributeReferences(out);
}

Page::Page(std::string path) : Page(path, ReadPageFileStamped(path)) {}

Page Page::Read(std::string path, std::string buffer) {
  PageFileRead read = ReadPageFileStamped(path, std::move(buffer));
  return Page(std::move(path), std::move(read));
}

Page Page::OfBytes(std::string path, std::string bytes) { return Page(std::move(path), PageFileRead{std::move(bytes), {}}); }

Page::Page(std::string path, PageFileRead read)
    : path_(std::move(path)),
      source_(std::move(read.bytes)),
      encoding_(EncodingOrFail(source_, path_)),
      stamp_(read.stamp),
      copy_(CopyIfNeeded(source_, encoding_)) {}

std::vector<Page::Area>& Page::Index() const {
  if (!indexed_) {
    areas_.clear();
    for (const Tag& found : ScanAreaTags(markup())) {
      std::string text = markup().substr(found.begin, found.end - found.begin);
      Tag tag = *LexTag(text, 0);
      areas_.push_back(Area{found.begin, found.end, std::move(text), std::move(tag)});
    }
    indexed_ = true;
    ++indexBuilds_;
  }
  return areas_;
}

const Page::Area& Page::At(std::size_t area) const {
  const auto& areas = Index();
  if (area >= areas.size()) throw host::Error(host::code::SubscriptOutOfRange);
  return areas[area];
}

Page::Area& Page::At(std::size_t area) { return const_cast<Area&>(std::as_const(*this).At(area)); }

std::size_t Page::AreaCount() const { return Index().size(); }

std::optional<host::Text> Page::GetAttribute(std::size_t area, std::u16string_view name) const {
  const Area& found = At(area);
  const auto lowered = AttributeName(name);
  const TagAttribute* attribute = lowered ? found.tag.Find(*lowered) : nullptr;
  if (!attribute) return std::nullopt;
  return AttributeValue(found.text, *attribute, markupEncoding());
}

void Page::SetAttribute(std::size_t area, std::u16string_view name, std::u16string_view value) {
  Area& found = At(area);
  const auto lowered = AttributeName(name);
  if (!lowered) throw host::Error(host::code::InvalidProcedureCall, u"Not an attribute name: " + host::Text(name));
  const auto escaped = [&](char16_t quote) { return MarkupOf(EscapeAttributeValue(value, quote)); };
  std::string quoted(1, '"');
  quoted += escaped(u'"');
  quoted += '"';
  const TagAttribute* attribute = found.tag.Find(*lowered);
  if (!attribute) {
    Rewrite(found, found.tag.insertAt, found.tag.insertAt, " " + *lowered + "=" + quoted);
  } else if (attribute->form == ValueForm::None) {
    Rewrite(found, attribute->nameEnd, attribute->nameEnd, "=" + quoted);
  } else if (attribute->form == ValueForm::DoubleQuoted) {
    Rewrite(found, attribute->valueBegin, attribute->valueEnd, escaped(u'"'));
  } else if (attribute->form == ValueForm::SingleQuoted) {
    Rewrite(found, attribute->valueBegin, attribute->valueEnd, escaped(u'\''));
  } else {
    Rewrite(found, attribute->valueBegin, attribute->valueEnd, quoted);
  }
}

bool Page::RemoveAttribute(std::size_t area, std::u16string_view name) {
  Area& found = At(area);
  const auto lowered = AttributeName(name);
  if (!lowered || !found.tag.Find(*lowered)) return false;
  // From the last so that earlier positions stay valid.
  std::string text = found.text;
  const auto& attributes = found.tag.attributes;
  for (auto it = attributes.rbegin(); it != attributes.rend(); ++it) {
    if (it->name == *lowered) text.erase(it->leadBegin, it->end - it->leadBegin);
  }
  Rewrite(found, 0, found.text.size(), text);
  return true;
}

host::Text Page::AreaSource(std::size_t area) const { return Decode(At(area).text, markupEncoding()); }

std::string Page::MarkupOf(std::u16string_view text) const {
  if (copy_) return host::ToUtf8(WithReferencesForMissing(text, encoding_));
  return EncodeWithReferences(text, encoding_);
}

void Page::AppendArea() {
  auto& areas = Index();
  std::size_t at = markup().size();
  if (!areas.empty()) {
    at = areas.back().end;
  } else {
    std::string lowered(markup());
    for (char& c : lowered) c = AsciiLower(c);
    if (const std::size_t map = lowered.find("</map"); map != std::string::npos) {
      at = map;
    } else if (const std::size_t body = lowered.rfind("</body"); body != std::string::npos) {
      at = body;
    }
  }
  std::string text = "<area>";
  Tag tag = *LexTag(text, 0);
  areas.push_back(Area{at, at, std::move(text), std::move(tag), true});
  modified_ = true;
}

void Page::RemoveArea(std::size_t area) {
  const Area& found = At(area);
  if (found.end > found.begin) removed_.emplace_back(found.begin, found.end);
  areas_.erase(areas_.begin() + static_cast<std::ptrdiff_t>(area));
  modified_ = true;
}

void Page::Rewrite(Area& area, std::size_t from, std::size_t to, std::string_view replacement) {
  area.text.replace(from, to - from, replacement);
  area.tag = *LexTag(area.text, 0);
  area.edited = true;
  modified_ = true;
}

namespace {

// Spans of a text to replace, in order.
struct Replacement {
  std::size_t begin, end;
  std::string text;
};

std::string Spliced(std::string_view source, const std::vector<Replacement>& replacements) {
  std::string out;
  out.reserve(source.size() + source.size() / 8);
  std::size_t copied = 0;
  for (const auto& r : replacements) {
    out.append(source, copied, r.begin - copied);
    out += r.text;
    copied = r.end;
  }
  out.append(source, copied);
  return out;
}

}  // namespace

std::string Page::Content() const {
  if (!modified_) return source_;
  // A new area's empty span goes before a dropped tag that starts where it
  // does.
  std::vector<Replacement> replacements;
  for (const Area& area : areas_) {
    if (area.edited) replacements.push_back({area.begin, area.end, area.text});
  }
  for (const auto& [begin, end] : removed_) replacements.push_back({begin, end, {}});
  std::stable_sort(replacements.begin(), replacements.end(), [](const Replacement& a, const Replacement& b) {
    return a.begin != b.begin ? a.begin < b.begin : a.end < b.end;
  });
  if (!copy_) return Spliced(source_, replacements);
  // The tags were edited in the UTF-8 copy: each goes back into the file
  // over the bytes of its characters, in the file's encoding.
  const std::string markup = Spliced(copy_->utf8, replacements);
  for (auto& r : replacements) {
    const ByteSpan span = copy_->FileSpan(r.begin, r.end);
    r.begin = span.begin;
    r.end = span.end;
    r.text = EncodeWithReferences(host::FromUtf8(r.text), encoding_);
  }
  std::string content = Spliced(source_, replacements);
  // A stateful encoding could read the bytes after an edit in another state.
  if (CopyInUtf8(content, encoding_).utf8 != markup) {
    throw host::Error(code::BadFileMode, host::FromUtf8("Cannot save the page \"" + path_ + "\": the edit would change "
                                                        "how the text around it reads in its encoding"));
  }
  return content;
}

void Page::Save() { Write(path_, false); }

void Page::SaveIfUnchanged() { Write(path_, true); }

void Page::SaveAs(std::string path) { Write(std::move(path), false); }

void Page::Write(std::string path, bool ifUnchanged) {
  std::string content = Content();
  // An undeclared page is read as windows-1252 only while its bytes are not
  // valid UTF-8; an edit that removed the last stray byte would make every
  // other character read differently next time, so such a save is refused.
  const DetectedEncoding reread = DetectEncoding(content);
  if (reread.encoding != encoding_) {
    throw host::Error(code::BadFileMode,
                      host::FromUtf8("Cannot save the page \"" + path +
                                     "\": with this change its text would read in another encoding"));
  }
  stamp_ = ReplacePageFile(path, content, ifUnchanged ? std::optional<FileAsRead>({stamp_, source_}) : std::nullopt);
  path_ = std::move(path);
  if (modified_) {
    // The page's bytes have changed: positions are found afresh.
    source_ = std::move(content);
    copy_ = CopyIfNeeded(source_, encoding_);
    areas_.clear();
    removed_.clear();
    indexed_ = false;
    modified_ = false;
  }
}

}  // namespace pages
