#include "reference_parser.h"

#include <gumbo.h>
#include <iconv.h>

#include <memory>
#include <stdexcept>

namespace {

std::optional<std::string> AttributeOf(const GumboElement& element, const char* name) {
  const GumboAttribute* attribute = gumbo_get_attribute(&element.attributes, name);
  if (!attribute) return std::nullopt;
  return std::string(attribute->value);
}

template <class Visit>
void ForEachArea(const GumboNode* node, const Visit& visit) {
  const GumboVector* children = nullptr;
  if (node->type == GUMBO_NODE_DOCUMENT) {
    children = &node->v.document.children;
  } else if (node->type == GUMBO_NODE_ELEMENT) {
    const GumboElement& element = node->v.element;
    if (element.tag == GUMBO_TAG_AREA && element.tag_namespace == GUMBO_NAMESPACE_HTML) {
      visit(*node);
    }
    children = &element.children;
  } else {
    return;  // text, comments, and template contents
  }
  for (unsigned i = 0; i < children->length; ++i) ForEachArea(static_cast<const GumboNode*>(children->data[i]), visit);
}

using Parsed = std::unique_ptr<GumboOutput, void (*)(GumboOutput*)>;
Parsed Parse(std::string_view utf8) {
  return Parsed(gumbo_parse_with_options(&kGumboDefaultOptions, utf8.data(), utf8.size()),
                [](GumboOutput* o) { gumbo_destroy_output(&kGumboDefaultOptions, o); });
}

}  // namespace

std::vector<ReferenceArea> ReferenceAreas(std::string_view utf8) {
  std::vector<ReferenceArea> areas;
  ForEachArea(Parse(utf8)->document, [&](const GumboNode& node) {
    areas.push_back({AttributeOf(node.v.element, "href"), AttributeOf(node.v.element, "alt")});
  });
  return areas;
}

std::vector<ReferenceTag> ReferenceAreaTags(std::string_view utf8) {
  std::vector<ReferenceTag> tags;
  ForEachArea(Parse(utf8)->document, [&](const GumboNode& node) {
    const GumboElement& element = node.v.element;
    const auto begin = static_cast<std::size_t>(element.original_tag.data - utf8.data());
    tags.push_back({begin, begin + element.original_tag.length});
  });
  return tags;
}

std::vector<ReferenceMapArea> ReferenceAreasInMaps(std::string_view utf8) {
  std::vector<ReferenceMapArea> areas;
  ForEachArea(Parse(utf8)->document, [&](const GumboNode& node) {
    ReferenceMapArea area;
    area.attributes = {AttributeOf(node.v.element, "href"), AttributeOf(node.v.element, "alt")};
    for (const GumboNode* up = node.parent; up && up->type == GUMBO_NODE_ELEMENT; up = up->parent) {
      if (up->v.element.tag == GUMBO_TAG_MAP && up->v.element.tag_namespace == GUMBO_NAMESPACE_HTML) {
        area.inMap = true;
        area.mapName = AttributeOf(up->v.element, "name");
        break;
      }
    }
    areas.push_back(std::move(area));
  });
  return areas;
}

namespace {

// All of `bytes` through the C library's converter, its state flushed at the
// end (converters that compose characters hold the last one back).
std::string Converted(std::string_view bytes, const char* to, const char* from) {
  iconv_t cd = iconv_open(to, from);
  if (cd == reinterpret_cast<iconv_t>(-1)) throw std::runtime_error(std::string("no converter from ") + from + " to " + to);
  std::string out(bytes.size() * 4 + 16, '\0');
  std::string in(bytes);
  char* inPtr = in.data();
  char* outPtr = out.data();
  std::size_t inLeft = in.size(), outLeft = out.size();
  const std::size_t result = iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft);
  const std::size_t flushed = iconv(cd, nullptr, nullptr, &outPtr, &outLeft);
  iconv_close(cd);
  if (result == static_cast<std::size_t>(-1) || flushed == static_cast<std::size_t>(-1)) {
    throw std::runtime_error(std::string("not valid ") + from + " for " + to);
  }
  out.resize(out.size() - outLeft);
  return out;
}

}  // namespace

std::string ConvertToUtf8(std::string_view bytes, const char* charset) { return Converted(bytes, "UTF-8", charset); }

std::string ConvertFromUtf8(std::string_view utf8, const char* charset) { return Converted(utf8, charset, "UTF-8"); }
