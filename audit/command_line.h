#pragma once
// mapnote-audit's options as the command line gives them: what to check,
// what matters, and what to write.
#include <array>
#include <cstddef>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "audit/page_audit.h"
#include "audit/page_selection.h"

namespace audit {

enum class Severity { Off, Warning, Error };

// Each rule's severity: by default missing-alt and empty-alt are errors,
// alt-without-href a warning, and the quality rules warnings when judged.
struct RuleSettings {
  std::array<std::optional<Severity>, kRuleCount> given{};  // by --rule or the web's settings file
  Severity Of(Rule rule, bool quality) const;
};

struct Options {
  AuditOptions audit;
  bool json = false, sarif = false, force = false, acceptSuggestions = false, updateBaseline = false;
  bool help = false, version = false;  // print that and do nothing else
  std::optional<std::string> todo, apply, listEncoding, report, baseline, stdinName;
  std::optional<std::size_t> maxWarnings;
  RuleSettings rules;
  std::optional<std::vector<std::string>> extensions;
  std::vector<std::string> excluded;
  std::vector<std::string> targets;  // web folders, pages, or "-" for a page on standard input
  // Which were given on the command line, so that they win over the web's
  // settings file.
  bool sharedTargetGiven = false, ariaGiven = false, qualityGiven = false;
};

// nullopt after a usage error, told on `err` in one line.
std::optional<Options> ParseOptions(const std::vector<std::string>& args, std::ostream& err);

void PrintHelp(std::ostream& out);

// A rule by the name the outputs spell it.
std::optional<Rule> RuleNamed(std::string_view name);
std::optional<Severity> SeverityNamed(std::string_view name);
std::string_view SeverityName(Severity severity);

}  // namespace audit
