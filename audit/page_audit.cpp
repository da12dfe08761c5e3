#include "audit/page_audit.h"

#include <algorithm>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "audit/accessible_name.h"
#include "audit/alt_judgement.h"
#include "audit/link_target.h"

#include "audit/text_positions.h"
#include "host/text.h"
#include "pages/page.h"

namespace audit {
namespace {

std::optional<std::string> Utf8(const std::optional<host::Text>& text) {
  if (!text) return std::nullopt;
  return host::ToUtf8(*text);
}

struct QualityFinding {
  std::size_t area;
  Rule rule;
  std::string detail;
};

Rule RuleOf(AltProblem problem) {
  switch (problem) {
    case AltProblem::FileName: return Rule::AltIsFileName;
    case AltProblem::Url: return Rule::AltIsUrl;
    case AltProblem::Code: return Rule::AltIsCode;
    case AltProblem::Placeholder: return Rule::AltIsPlaceholder;
    case AltProblem::TooLong: return Rule::AltTooLong;
  }
  return Rule::AltIsPlaceholder;
}

// The quality findings of the areas in maps that link somewhere with a
// non-blank alt, in the areas' order: a text that is no text, else one
// that areas of the same map linking elsewhere share, which a listener
// cannot tell apart.
std::vector<QualityFinding> JudgeAlts(const PageReading& reading, const std::vector<std::optional<std::string>>& imageSrcs,
                                      std::string_view path) {
  std::vector<QualityFinding> found;
  struct Usable {
    std::size_t area;
    std::string href, target;
  };
  std::map<std::pair<int, std::string>, std::vector<Usable>> byText;  // (map, folded text)
  for (std::size_t i = 0; i < reading.areas.size(); ++i) {
    const ReadArea& area = reading.areas[i];
    if (area.map < 0 || !area.href || !area.alt || pages::IsHtmlBlank(*area.alt)) continue;
    const std::string alt = host::ToUtf8(*area.alt), href = host::ToUtf8(*area.href);
    const auto& src = imageSrcs[static_cast<std::size_t>(area.map)];
    if (const auto verdict = JudgeAltText(alt, FileNameOf(href), src ? FileNameOf(*src) : std::string_view())) {
      found.push_back({i, RuleOf(verdict->problem), std::string(verdict->reason)});
    } else {
      byText[{area.map, FoldedText(alt)}].push_back({i, href, ResolveLink(path, href)});
    }
  }
  for (const auto& [text, areas] : byText) {
    for (const Usable& area : areas) {
      std::string others;
      for (const Usable& other : areas) {
        if (other.target == area.target || others.find("\"" + other.href + "\"") != std::string::npos) continue;
        others += (others.empty() ? "\"" : ", \"") + other.href + "\"";
      }
      if (!others.empty()) found.push_back({area.area, Rule::AltNotDistinct, others});
    }
  }
  std::sort(found.begin(), found.end(), [](const auto& a, const auto& b) { return a.area < b.area; });
  return found;
}

}  // namespace

std::string_view RuleName(Rule rule) {
  switch (rule) {
    case Rule::MissingAlt: return "missing-alt";
    case Rule::EmptyAlt: return "empty-alt";
    case Rule::AltWithoutHref: return "alt-without-href";
    case Rule::AltIsFileName: return "alt-is-file-name";
    case Rule::AltIsUrl: return "alt-is-url";
    case Rule::AltIsCode: return "alt-is-code";
    case Rule::AltIsPlaceholder: return "alt-is-placeholder";
    case Rule::AltTooLong: return "alt-too-long";
    case Rule::AltNotDistinct: return "alt-not-distinct";
  }
  return {};
}

PageAudit AuditPage(const PageReading& reading, std::string_view markup, pages::Encoding encoding,
                    const AuditOptions& options, std::string_view path) {
  // (map, href) of the areas whose alt is not blank, for the shared-target exception.
  std::set<std::pair<int, host::Text>> describedTargets;
  if (options.sharedTarget) {
    for (const ReadArea& area : reading.areas) {
      if (area.map >= 0 && area.href && area.alt && !pages::IsHtmlBlank(*area.alt)) describedTargets.emplace(area.map, *area.href);
    }
  }
  AccessibleNames names(reading.names);

  std::vector<std::optional<std::string>> imageSrcs(reading.maps.size());
  for (std::size_t m = 0; m < reading.maps.size(); ++m) {
    if (const PageImage* image = ImageOfMap(reading, m); image && image->src) imageSrcs[m] = host::ToUtf8(*image->src);
  }
  const std::vector<QualityFinding> quality = options.quality ? JudgeAlts(reading, imageSrcs, path) : std::vector<QualityFinding>();
  auto nextQuality = quality.begin();

  PageAudit audit;
  audit.areas = reading.areas.size();
  TextPositions positions(markup, encoding);
  for (std::size_t i = 0; i < reading.areas.size(); ++i) {
    const ReadArea& area = reading.areas[i];
    if (area.map < 0) continue;
    const auto& href = area.href;
    const auto& alt = area.alt;
    std::optional<Rule> rule;
    std::string detail;
    if (href) {
      if (!alt) {
        rule = Rule::MissingAlt;
      } else if (pages::IsHtmlBlank(*alt) && !describedTargets.count({area.map, *href})) {
        rule = Rule::EmptyAlt;
      }
      if (rule && options.aria && names.AreaHasName(area)) rule.reset();
    } else if (alt) {
      rule = Rule::AltWithoutHref;
    }
    if (nextQuality != quality.end() && nextQuality->area == i) {
      if (!rule) {
        rule = nextQuality->rule;
        detail = nextQuality->detail;
      }
      ++nextQuality;
    }
    if (!rule) continue;
    const auto [line, column] = positions.Of(area.begin);
    const auto map = static_cast<std::size_t>(area.map);
    audit.findings.push_back(Finding{*rule, area.begin, area.end, line, column, Utf8(reading.maps[map]), i, Utf8(href),
                                     Utf8(alt), area.map, imageSrcs[map], std::move(detail)});
  }
  return audit;
}

PageAudit AuditPage(std::string_view markup, pages::Encoding encoding, const AuditOptions& options) {
  return AuditPage(ReadPage(markup, encoding, NeedsOf(options)), markup, encoding, options);
}

ReadingNeeds NeedsOf(const AuditOptions& options) { return {.labels = options.aria, .facts = options.quality}; }

}  // namespace audit
