#include "audit/suggestions.h"

#include <algorithm>
#include <map>
#include <set>

#include "audit/alt_judgement.h"
#include "audit/link_target.h"
#include "pages/encoding.h"
#include "pages/percent_encoding.h"
#include "pages/tag_lexer.h"

namespace audit {
namespace {

// A link's text longer than this is a sentence or a paragraph, not a name.
constexpr std::size_t kLongestLinkText = 150;

// A text fit to be an area's alt: judged with the names of the finding's
// link and of its map's image.
struct Usable {
  const Finding& finding;
  bool operator()(std::string_view text) const {
    const std::string_view href = finding.href ? std::string_view(*finding.href) : std::string_view();
    const std::string_view src = finding.imageSrc ? std::string_view(*finding.imageSrc) : std::string_view();
    return !JudgeAltText(text, FileNameOf(href), FileNameOf(src));
  }
};

}  // namespace

std::string_view SuggestionSourceName(SuggestionSource source) {
  switch (source) {
    case SuggestionSource::Title: return "title";
    case SuggestionSource::AriaLabel: return "aria-label";
    case SuggestionSource::SameLink: return "same-link";
    case SuggestionSource::LinkText: return "link-text";
    case SuggestionSource::PageTitle: return "page-title";
    case SuggestionSource::FragmentTarget: return "fragment-target";
  }
  return {};
}

void Suggestions::Tally::Add(std::string_view text) {
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
    if (!index_.empty()) index_.emplace(text, at);
    texts_.emplace_back(text, 0);
    if (texts_.size() == kIndexedFrom) {
      for (std::size_t i = 0; i < texts_.size(); ++i) index_.emplace(texts_[i].first, i);
    }
  }
  ++texts_[at].second;
}

template <typename Usable>
const std::pmr::string* Suggestions::Tally::Most(Usable usable) const {
  const std::pair<std::pmr::string, std::size_t>* best = nullptr;
  for (const auto& text : texts_) {
    if ((!best || text.second > best->second) && usable(text.first)) best = &text;
  }
  return best ? &best->first : nullptr;
}

Suggestions::PageSays Suggestions::WhatPageSays(const std::string& path, const PageReading& reading) {
  PageSays says;
  says.links.reserve(reading.links.size());
  std::string& texts = says.texts;
  for (const PageLink& link : reading.links) {
    const bool text = link.kind == PageLink::Kind::Text;
    if (text && pages::CharacterCount(link.text) > kLongestLinkText) continue;
    const std::size_t target = texts.size();
    AppendResolvedLink(texts, path, link.HrefIn(reading));
    const std::size_t said = texts.size();
    host::AppendUtf8(texts, link.TextIn(reading));
    says.links.push_back({text, target, said - target, said, texts.size() - said});
  }
  if (reading.title) says.title = host::ToUtf8(*reading.title);
  for (const auto& [name, text] : reading.fragments) says.places.emplace_back("/" + path + "#" + host::ToUtf8(name), host::ToUtf8(text));
  return says;
}

void Suggestions::AddPage(const std::string& path, PageSays says) {
  const std::string_view texts = says.texts;
  for (const PageSays::Link& link : says.links) {
    auto& tallies = link.text ? linkTexts_ : alts_;
    const std::string_view target = texts.substr(link.targetAt, link.targetSize);
    auto tally = tallies.find(target);
    if (tally == tallies.end()) tally = tallies.emplace(std::piecewise_construct, std::forward_as_tuple(target), std::forward_as_tuple()).first;
    tally->second.Add(texts.substr(link.saidAt, link.saidSize));
  }
  if (says.title) titles_.emplace(path, *says.title);
  for (const auto& [place, text] : says.places) places_.emplace(place, text);
}

std::optional<Suggestion> Suggestions::For(const std::string& path, const Finding& finding) const {
  if (!finding.href) return std::nullopt;
  const Usable usable{finding};
  const std::string target = ResolveLink(path, *finding.href);
  for (const auto& [tallies, source] : {std::pair(&alts_, SuggestionSource::SameLink), std::pair(&linkTexts_, SuggestionSource::LinkText)}) {
    if (const auto tally = tallies->find(std::string_view(target)); tally != tallies->end()) {
      if (const std::pmr::string* text = tally->second.Most(usable)) return Suggestion{std::string(*text), source};
    }
  }
  const std::size_t hash = target.find('#');
  if (hash == std::string::npos) {
    if (const auto file = WebFileOf(target)) {
      if (const auto title = titles_.find(std::string_view(*file)); title != titles_.end() && usable(title->second)) {
        return Suggestion{std::string(title->second), SuggestionSource::PageTitle};
      }
    }
    return std::nullopt;
  }
  // A place in a page: the fragment as written, or percent-decoded as an id is.
  const std::string page = target.substr(0, std::min(target.find('?'), hash));
  for (const std::string& place : {target.substr(hash + 1), pages::PercentDecoded(target.substr(hash + 1))}) {
    if (const auto text = places_.find(std::string_view(page + "#" + place)); text != places_.end() && usable(text->second)) {
      return Suggestion{std::string(text->second), SuggestionSource::FragmentTarget};
    }
  }
  return std::nullopt;
}

std::optional<Suggestion> OwnSuggestion(const ReadArea& area, const Finding& finding) {
  const Usable usable{finding};
  for (const auto& [value, source] : {std::pair(&area.title, SuggestionSource::Title), std::pair(&area.ariaLabel, SuggestionSource::AriaLabel)}) {
    if (!*value) continue;
    std::string text = host::ToUtf8(CollapseSpace(**value));
    if (!text.empty() && usable(text)) return Suggestion{std::move(text), source};
  }
  return std::nullopt;
}

std::vector<KeptText> KeptTexts(const std::string& path, const PageReading& reading, const PageAudit& audit) {
  std::vector<KeptText> kept;
  // Only a finding with an href is given a suggestion: the texts of other
  // maps are never asked for.
  std::vector<bool> suggestedIn(reading.maps.size());
  for (const Finding& finding : audit.findings) {
    if (finding.href && finding.mapIndex >= 0) suggestedIn[static_cast<std::size_t>(finding.mapIndex)] = true;
  }
  auto finding = audit.findings.begin();
  for (std::size_t a = 0; a < reading.areas.size(); ++a) {
    while (finding != audit.findings.end() && finding->area < a) ++finding;
    const ReadArea& area = reading.areas[a];
    const bool replaced = finding != audit.findings.end() && finding->area == a && GivesRow(finding->rule);
    if (area.map < 0 || !suggestedIn[static_cast<std::size_t>(area.map)] || replaced || !area.href || !area.alt ||
        pages::IsHtmlBlank(*area.alt)) {
      continue;
    }
    kept.push_back({area.map, FoldedText(host::ToUtf8(*area.alt)), ResolveLink(path, *area.href)});
  }
  return kept;
}

void KeepSuggestionsDistinct(const std::string& path, std::vector<Finding>& findings, const std::vector<KeptText>& kept) {
  // Most pages of a web have no suggestion to weigh.
  if (std::none_of(findings.begin(), findings.end(), [](const Finding& f) { return f.suggestion && f.href; })) return;
  // The targets of each text in each map, and whether it has several.
  std::map<std::pair<int, std::string>, std::set<std::string>> targets;
  for (const KeptText& text : kept) targets[{text.map, text.folded}].insert(text.target);
  std::vector<std::pair<int, std::string>> keys(findings.size());
  for (std::size_t f = 0; f < findings.size(); ++f) {
    const Finding& finding = findings[f];
    if (!finding.suggestion || !finding.href) continue;
    keys[f] = {finding.mapIndex, FoldedText(finding.suggestion->text)};
    targets[keys[f]].insert(ResolveLink(path, *finding.href));
  }
  for (std::size_t f = 0; f < findings.size(); ++f) {
    if (findings[f].suggestion && targets[keys[f]].size() > 1) findings[f].suggestion.reset();
  }
}

}  // namespace audit
