#include "audit/markup_hiding.h"

#include <optional>
#include <string>

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

// What an inline style says of display and visibility, as the cascade
// reads it: comments are no change, the last valid declaration wins, and
// an !important one beats any that is not.
struct InlineStyle {
  std::optional<bool> displayNone, visibilityHidden;
};

bool IsDisplay(const std::string& value) {
  static constexpr std::string_view kValues[] = {
      "none", "inline", "block", "inline-block", "flex", "inline-flex", "grid", "inline-grid", "contents", "list-item",
      "flow-root", "table", "inline-table", "table-row", "table-cell", "table-row-group", "table-header-group",
      "table-footer-group", "table-column", "table-column-group", "table-caption", "ruby", "run-in", "initial",
      "inherit", "unset"};
  for (const std::string_view v : kValues) {
    if (value == v) return true;
  }
  return false;
}

InlineStyle ReadStyle(std::string_view written) {
  std::string style;
  for (std::size_t at = 0; at < written.size();) {
    if (written.compare(at, 2, "/*") == 0) {
      const std::size_t end = written.find("*/", at + 2);
      at = end == std::string_view::npos ? written.size() : end + 2;
      style += ' ';
    } else {
      style += written[at++];
    }
  }
  InlineStyle read;
  bool displayImportant = false, visibilityImportant = false;
  for (std::size_t at = 0; at <= style.size();) {
    std::size_t end = style.find(';', at);
    if (end == std::string::npos) end = style.size();
    const std::string_view declaration = std::string_view(style).substr(at, end - at);
    at = end + 1;
    const std::size_t colon = declaration.find(':');
    if (colon == std::string_view::npos) continue;
    const std::string property = Trimmed(declaration.substr(0, colon));
    const std::string value = Trimmed(declaration.substr(colon + 1));
    std::string whole;
    for (const char c : declaration.substr(colon + 1)) whole += pages::AsciiLower(c);
    const bool isImportant = whole.find("!important") != std::string::npos;
    if (property == "display" && IsDisplay(value) && (isImportant || !displayImportant)) {
      read.displayNone = value == "none";
      displayImportant = isImportant;
    }
    if (property == "visibility" && (value == "hidden" || value == "collapse" || value == "visible") &&
        (isImportant || !visibilityImportant)) {
      read.visibilityHidden = value != "visible";
      visibilityImportant = isImportant;
    }
  }
  return read;
}

}  // namespace

bool HidesContent(std::string_view page, const pages::Tag& tag, pages::Encoding encoding) {
  const auto value = [&](std::string_view name) -> std::optional<std::string> {
    const pages::TagAttribute* attribute = tag.Find(name);
    if (!attribute) return std::nullopt;
    return host::ToUtf8(pages::AttributeValue(page, *attribute, encoding));
  };
  if (const auto ariaHidden = value("aria-hidden"); ariaHidden && Trimmed(*ariaHidden) == "true") return true;
  const auto style = value("style");
  const InlineStyle read = style ? ReadStyle(*style) : InlineStyle();
  if (read.visibilityHidden.value_or(false)) return true;
  // The built-in rule for [hidden] is display:none, which an inline
  // display overrides.
  if (read.displayNone) return *read.displayNone;
  return !tag.foreign && tag.Find("hidden");
}

}  // namespace audit
