#include "audit/page_audit.h"

#include <set>
#include <string>

#include "audit/text_positions.h"
#include "host/text.h"
#include "pages/page.h"

namespace audit {
namespace {

std::optional<std::string> Utf8(const std::optional<host::Text>& text) {
  if (!text) return std::nullopt;
  return host::ToUtf8(*text);
}

}  // namespace

std::string_view RuleName(Rule rule) {
  switch (rule) {
    case Rule::MissingAlt: return "missing-alt";
    case Rule::EmptyAlt: return "empty-alt";
    case Rule::AltWithoutHref: return "alt-without-href";
  }
  return {};
}

PageAudit AuditPage(const PageReading& reading, std::string_view markup, pages::Encoding encoding,
                    const AuditOptions& options) {
  // (map, href) of the areas whose alt is not blank, for the shared-target exception.
  std::set<std::pair<int, host::Text>> describedTargets;
  if (options.sharedTarget) {
    for (const ReadArea& area : reading.areas) {
      if (area.map >= 0 && area.href && area.alt && !pages::IsHtmlBlank(*area.alt)) describedTargets.emplace(area.map, *area.href);
    }
  }
  const auto hasAriaText = [&](const ReadArea& area) {
    for (const auto* value : {&area.title, &area.ariaLabel}) {
      if (*value && !pages::IsHtmlBlank(**value)) return true;
    }
    const auto& labelledBy = area.ariaLabelledBy;
    if (!labelledBy) return false;
    for (std::size_t at = 0; at < labelledBy->size();) {
      while (at < labelledBy->size() && pages::IsHtmlSpace((*labelledBy)[at])) ++at;
      std::size_t end = at;
      while (end < labelledBy->size() && !pages::IsHtmlSpace((*labelledBy)[end])) ++end;
      const host::Text id = labelledBy->substr(at, end - at);
      at = end;
      if (id.empty()) continue;
      const auto found = reading.idHasText.find(id);
      if (found != reading.idHasText.end() && found->second) return true;
    }
    return false;
  };

  PageAudit audit;
  audit.areas = reading.areas.size();
  TextPositions positions(markup, encoding);
  for (std::size_t i = 0; i < reading.areas.size(); ++i) {
    const ReadArea& area = reading.areas[i];
    if (area.map < 0) continue;
    const auto& href = area.href;
    const auto& alt = area.alt;
    std::optional<Rule> rule;
    if (href) {
      if (!alt) {
        rule = Rule::MissingAlt;
      } else if (pages::IsHtmlBlank(*alt) && !describedTargets.count({area.map, *href})) {
        rule = Rule::EmptyAlt;
      }
      if (rule && options.aria && hasAriaText(area)) rule.reset();
    } else if (alt) {
      rule = Rule::AltWithoutHref;
    }
    if (!rule) continue;
    const auto [line, column] = positions.Of(area.begin);
    audit.findings.push_back(Finding{*rule, area.begin, area.end, line, column,
                                     Utf8(reading.maps[static_cast<std::size_t>(area.map)]), i, Utf8(href), Utf8(alt)});
  }
  return audit;
}

PageAudit AuditPage(std::string_view markup, pages::Encoding encoding, const AuditOptions& options) {
  return AuditPage(ReadPage(markup, encoding, NeedsOf(options)), markup, encoding, options);
}

ReadingNeeds NeedsOf(const AuditOptions& options) { return {.labels = options.aria}; }

}  // namespace audit
