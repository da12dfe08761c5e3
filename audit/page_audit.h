#pragma once
// What one page's image maps lack: the areas that need alt text and have
// none, and the alt texts that must not be there.
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "audit/page_reading.h"
#include "audit/suggestion.h"
#include "pages/encoding.h"

namespace audit {

// The first three are what every checker of image maps reports; the others
// judge an alt that is there (--quality).
enum class Rule {
  MissingAlt,
  EmptyAlt,
  AltWithoutHref,
  AltIsFileName,
  AltIsUrl,
  AltIsCode,
  AltIsPlaceholder,
  AltTooLong,
  AltNotDistinct,
};
inline constexpr std::size_t kRuleCount = 9;

// Whether the rule is one of --quality's.
constexpr bool IsQualityRule(Rule rule) { return rule >= Rule::AltIsFileName; }

// Whether a finding of the rule is a row of the to-do list and the report,
// an area to be given a text: an alt without an href is to go, which no row
// can say.
constexpr bool GivesRow(Rule rule) { return rule != Rule::AltWithoutHref; }

// The rule's name as the output spells it ("missing-alt" ...).
std::string_view RuleName(Rule rule);

struct AuditOptions {
  // A blank alt is enough where another area of the same map with the same
  // href has a non-blank one.
  bool sharedTarget = false;
  // A non-blank title or aria-label, or an aria-labelledby naming elements
  // with text, counts as the area's text.
  bool aria = false;
  // An alt that is there is judged too: a file name, an address, code, a
  // placeholder, too long, or the text of an area linking elsewhere.
  bool quality = false;
};

struct Finding {
  Rule rule;
  std::size_t offset;  // of the area tag's '<'
  std::size_t end;     // past its '>'
  std::size_t line, column;  // 1-based; the column in characters
  std::optional<std::string> map;  // the map's name (UTF-8); nullopt when it has none
  std::size_t area;  // the area's index on the page, in document order
  std::optional<std::string> href, alt;
  int mapIndex = -1;                   // the map's index on the page
  std::optional<std::string> imageSrc = std::nullopt;  // of the map's image, when the reading has its facts
  std::string detail = {};             // what a quality rule found: why the text is none, or the other links
  std::optional<Suggestion> suggestion = std::nullopt;  // filled in by the caller that knows the web
};

struct PageAudit {
  std::size_t areas = 0;  // every area of the page, in a map or not
  std::vector<Finding> findings;  // in document order
};

// The findings of a page from its reading; `markup` is what it was read
// from, for the findings' lines and columns, `path` the page's in the web,
// to tell where its links lead.
PageAudit AuditPage(const PageReading& reading, std::string_view markup, pages::Encoding encoding,
                    const AuditOptions& options, std::string_view path = "page.htm");
// The same, reading the page for what the options need.
PageAudit AuditPage(std::string_view markup, pages::Encoding encoding, const AuditOptions& options);

// What a reading must hold for the audit with these options.
ReadingNeeds NeedsOf(const AuditOptions& options);

}  // namespace audit
