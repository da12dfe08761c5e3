#include "audit/page_selection.h"

#include <algorithm>
#include <array>

#include "pages/tag_lexer.h"

namespace audit {
namespace {

// Pages of the era's servers and editors, counted when another selection
// leaves them out.
constexpr std::array<std::string_view, 14> kPageKinds = {"htm", "html", "shtml", "shtm", "stm", "asp",  "aspx",
                                                         "php", "php3", "phtml", "xhtml", "jsp", "cfm", "cgi"};

std::string Lowered(std::string_view text) {
  std::string out(text);
  std::transform(out.begin(), out.end(), out.begin(), pages::AsciiLower);
  return out;
}

std::string ExtensionOf(std::string_view name) {
  const std::size_t slash = name.find_last_of('/');
  const std::string_view base = slash == std::string_view::npos ? name : name.substr(slash + 1);
  const std::size_t dot = base.rfind('.');
  return dot == std::string_view::npos || dot == 0 ? std::string() : Lowered(base.substr(dot + 1));
}

// `*` and `?` stay within a name, `**` crosses folders. Iterative, with one
// point to go back to per star, so that no pattern costs more than the
// product of the two lengths.
bool GlobMatches(std::string_view glob, std::string_view text) {
  std::size_t g = 0, t = 0, starG = std::string_view::npos, starT = 0;
  bool starCrosses = false;
  while (t < text.size()) {
    if (g < glob.size() && glob[g] == '*') {
      starCrosses = g + 1 < glob.size() && glob[g + 1] == '*';
      g += starCrosses ? 2 : 1;
      if (starCrosses && g < glob.size() && glob[g] == '/') ++g;  // "**/" also matches no folder
      starG = g;
      starT = t;
    } else if (g < glob.size() && (glob[g] == text[t] || (glob[g] == '?' && text[t] != '/'))) {
      ++g;
      ++t;
    } else if (starG != std::string_view::npos && (starCrosses || text[starT] != '/')) {
      g = starG;
      t = ++starT;
    } else {
      return false;
    }
  }
  while (g < glob.size() && glob[g] == '*') ++g;
  return g == glob.size();
}

}  // namespace

PageSelection::PageSelection() : extensions_{"htm", "html", "shtml", "asp"} {}

void PageSelection::SetExtensions(const std::vector<std::string>& extensions) {
  extensions_.clear();
  for (const std::string& extension : extensions) {
    std::string_view name = extension;
    if (name.starts_with(".")) name.remove_prefix(1);
    if (!name.empty()) extensions_.push_back(Lowered(name));
  }
}

void PageSelection::Exclude(std::string pattern) {
  const bool folderOnly = pattern.ends_with("/");
  if (folderOnly) pattern.pop_back();
  bool anchored = pattern.starts_with("/");
  if (anchored) {
    pattern.erase(0, 1);
  } else {
    anchored = pattern.find('/') != std::string::npos;
  }
  if (!pattern.empty()) excluded_.push_back(Pattern{std::move(pattern), anchored, folderOnly});
}

bool PageSelection::IsPageName(std::string_view name) const {
  const std::string extension = ExtensionOf(name);
  return !extension.empty() && std::find(extensions_.begin(), extensions_.end(), extension) != extensions_.end();
}

bool PageSelection::IsOtherPageName(std::string_view name) const {
  const std::string extension = ExtensionOf(name);
  return !IsPageName(name) && std::find(kPageKinds.begin(), kPageKinds.end(), extension) != kPageKinds.end();
}

bool PageSelection::IsExcluded(std::string_view relative, bool folder) const {
  const std::size_t slash = relative.find_last_of('/');
  const std::string_view name = slash == std::string_view::npos ? relative : relative.substr(slash + 1);
  return std::any_of(excluded_.begin(), excluded_.end(), [&](const Pattern& p) {
    if (p.folderOnly && !folder) return false;
    return GlobMatches(p.glob, p.anchored ? relative : name);
  });
}

std::string PageSelection::Describe() const {
  std::string out;
  for (std::size_t i = 0; i < extensions_.size(); ++i) {
    out += i == 0 ? "." : i + 1 == extensions_.size() ? " or ." : ", .";
    out += extensions_[i];
  }
  return out;
}

}  // namespace audit
