#include "audit/suggestions.h"

#include <algorithm>

#include "audit/link_target.h"
#include "pages/encoding.h"

namespace audit {
namespace {

// A link's text longer than this is a sentence or a paragraph, not a name.
constexpr std::size_t kLongestLinkText = 150;

}  // namespace

std::string_view SuggestionSourceName(SuggestionSource source) {
  switch (source) {
    case SuggestionSource::SameLink: return "same-link";
    case SuggestionSource::LinkText: return "link-text";
    case SuggestionSource::PageTitle: return "page-title";
  }
  return {};
}

void Suggestions::Tally::Add(const std::string& text) {
  // Most targets have a text or two: they are looked up in place, and only
  // a target of many texts takes an index.
  constexpr std::size_t kIndexedFrom = 16;
  std::size_t at = texts_.size();
  if (!index_.empty()) {
    if (const auto found = index_.find(text); found != index_.end()) at = found->second;
  } else {
    at = static_cast<std::size_t>(std::find_if(texts_.begin(), texts_.end(), [&](const auto& t) { return t.first == text; }) -
                                  texts_.begin());
  }
  if (at == texts_.size()) {
    texts_.emplace_back(text, 0);
    if (!index_.empty()) {
      index_.emplace(text, at);
    } else if (texts_.size() == kIndexedFrom) {
      for (std::size_t i = 0; i < texts_.size(); ++i) index_.emplace(texts_[i].first, i);
    }
  }
  ++texts_[at].second;
}

const std::string& Suggestions::Tally::Most() const {
  std::size_t best = 0;
  for (std::size_t i = 1; i < texts_.size(); ++i) {
    if (texts_[i].second > texts_[best].second) best = i;
  }
  return texts_[best].first;
}

void Suggestions::AddPage(const std::string& path, const PageReading& reading) {
  for (const PageLink& link : reading.links) {
    if (link.kind == PageLink::Kind::Text && pages::CharacterCount(link.text) > kLongestLinkText) continue;
    auto& tallies = link.kind == PageLink::Kind::Text ? linkTexts_ : alts_;
    tallies[ResolveLink(path, host::ToUtf8(link.href))].Add(host::ToUtf8(link.text));
  }
  if (reading.title) titles_.emplace(path, host::ToUtf8(*reading.title));
}

std::optional<Suggestion> Suggestions::For(const std::string& path, const std::string& href) const {
  const std::string target = ResolveLink(path, href);
  if (const auto alt = alts_.find(target); alt != alts_.end()) return Suggestion{alt->second.Most(), SuggestionSource::SameLink};
  if (const auto text = linkTexts_.find(target); text != linkTexts_.end()) {
    return Suggestion{text->second.Most(), SuggestionSource::LinkText};
  }
  if (const auto file = WebFileOf(target)) {
    if (const auto title = titles_.find(*file); title != titles_.end()) return Suggestion{title->second, SuggestionSource::PageTitle};
  }
  return std::nullopt;
}

}  // namespace audit
