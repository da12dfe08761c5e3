#pragma once
// A text for an area that has none, taken from what the web already says
// about the area's link target; never invented.
#include <string>
#include <string_view>

namespace audit {

enum class SuggestionSource {
  Title,           // the area's own title
  AriaLabel,       // the area's own aria-label
  SameLink,        // the alt of another area, or of an image in a link, to the same target
  LinkText,        // the text of a link to the same target
  PageTitle,       // the title of the target page
  FragmentTarget,  // the text of the place in a page the link leads to
};

// "title", "aria-label", "same-link", "link-text", "page-title",
// "fragment-target", as the outputs spell it.
std::string_view SuggestionSourceName(SuggestionSource source);

struct Suggestion {
  std::string text;  // UTF-8
  SuggestionSource from;
};

}  // namespace audit
