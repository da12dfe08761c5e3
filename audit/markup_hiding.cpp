#include "audit/markup_hiding.h"

#include "host/text.h"
#include "pages/page.h"

namespace audit {
namespace {

// The value lower-cased, with the white space around it and any
// "!important" taken off.
std::string Trimmed(std::string_view value) {
  std::string out;
  for (const char c : value) out += pages::AsciiLower(c);
  auto trim = [&] {
    while (!out.empty() && pages::IsHtmlSpace(out.back())) out.pop_back();
    std::size_t start = 0;
    while (start < out.size() && pages::IsHtmlSpace(out[start])) ++start;
    out.erase(0, start);
  };
  trim();
  if (out.size() >= 10 && out.compare(out.size() - 10, 10, "!important") == 0) {
    out.resize(out.size() - 10);
    trim();
  }
  return out;
}

bool StyleHides(std::string_view style) {
  for (std::size_t at = 0; at <= style.size();) {
    std::size_t end = style.find(';', at);
    if (end == std::string_view::npos) end = style.size();
    const std::string_view declaration = style.substr(at, end - at);
    at = end + 1;
    const std::size_t colon = declaration.find(':');
    if (colon == std::string_view::npos) continue;
    const std::string property = Trimmed(declaration.substr(0, colon));
    const std::string value = Trimmed(declaration.substr(colon + 1));
    if (property == "display" && value == "none") return true;
    if (property == "visibility" && (value == "hidden" || value == "collapse")) return true;
  }
  return false;
}

}  // namespace

bool HidesContent(std::string_view page, const pages::Tag& tag, pages::Encoding encoding) {
  const auto value = [&](std::string_view name) -> std::optional<std::string> {
    const pages::TagAttribute* attribute = tag.Find(name);
    if (!attribute) return std::nullopt;
    return host::ToUtf8(pages::AttributeValue(page, *attribute, encoding));
  };
  if (!tag.foreign && tag.Find("hidden")) return true;
  if (const auto ariaHidden = value("aria-hidden"); ariaHidden && Trimmed(*ariaHidden) == "true") return true;
  const auto style = value("style");
  return style && StyleHides(*style);
}

}  // namespace audit
