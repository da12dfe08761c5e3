#include "audit/report.h"

#include <cstdio>

#include "audit/terminal_text.h"
#include "host/text.h"

namespace audit {
namespace {

std::string Quoted(const std::string& text) { return "\"" + text + "\""; }

std::string MapOf(const Finding& finding) {
  return finding.map ? "area of map " + Quoted(*finding.map) : std::string("area of an unnamed map");
}

// Valid JSON whatever the text holds: control characters (also DEL and the
// C1 controls, which a terminal showing the JSON would obey) as \u escapes,
// and a malformed UTF-8 sequence as U+FFFD.
std::string JsonString(const std::optional<std::string>& text) {
  if (!text) return "null";
  std::string out = "\"";
  for (std::size_t i = 0; i < text->size();) {
    const host::Utf8Step step = host::NextUtf8(*text, i);
    if (!step.valid) {
      out += "\\ufffd";
    } else if (step.c == '"' || step.c == '\\') {
      out += '\\';
      out += static_cast<char>(step.c);
    } else if (step.c < 0x20 || (step.c >= 0x7F && step.c <= 0x9F)) {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\u%04x", static_cast<unsigned>(step.c));
      out += escaped;
    } else {
      out.append(*text, i, step.length);
    }
    i += step.length;
  }
  return out + "\"";
}

}  // namespace

std::string FindingMessage(const Finding& finding) {
  switch (finding.rule) {
    case Rule::MissingAlt:
      return MapOf(finding) + " linking to " + Quoted(*finding.href) + " has no alt text";
    case Rule::EmptyAlt:
      return MapOf(finding) + " linking to " + Quoted(*finding.href) + " has a blank alt text";
    case Rule::AltWithoutHref:
      return MapOf(finding) + " has alt " + Quoted(*finding.alt) + " but no href; the alt must be omitted";
  }
  return {};
}

std::string FindingLine(const std::string& path, const Finding& finding) {
  return ForTerminal(path + ":" + std::to_string(finding.line) + ":" + std::to_string(finding.column) + ": " +
                     std::string(RuleName(finding.rule)) + ": " + FindingMessage(finding));
}

std::string FindingJson(const std::string& path, const Finding& finding) {
  const auto& suggestion = finding.suggestion;
  const auto suggestedFrom =
      suggestion ? std::optional(std::string(SuggestionSourceName(suggestion->from))) : std::nullopt;
  return "{\"path\": " + JsonString(path) + ", \"line\": " + std::to_string(finding.line) +
         ", \"column\": " + std::to_string(finding.column) + ", \"rule\": " + JsonString(std::string(RuleName(finding.rule))) +
         ", \"map\": " + JsonString(finding.map) + ", \"area\": " + std::to_string(finding.area) +
         ", \"href\": " + JsonString(finding.href) + ", \"alt\": " + JsonString(finding.alt) +
         ", \"suggested_alt\": " + JsonString(suggestion ? std::optional(suggestion->text) : std::nullopt) +
         ", \"suggested_from\": " + JsonString(suggestedFrom) + "}";
}

std::string JsonQuoted(const std::string& text) { return JsonString(text); }

const CsvRow kTodoHeader = {"path", "line", "column", "map", "area", "href", "alt", "new_alt",
                             "suggested_alt", "suggested_from", "sha256"};

CsvRow TodoRow(const std::string& path, const Finding& finding, const std::string& sha256) {
  return {FormulaInert(path),
          std::to_string(finding.line),
          std::to_string(finding.column),
          FormulaInert(finding.map.value_or("")),
          std::to_string(finding.area),
          FormulaInert(finding.href.value_or("")),
          FormulaInert(finding.alt.value_or("")),
          "",
          FormulaInert(finding.suggestion ? finding.suggestion->text : ""),
          finding.suggestion ? std::string(SuggestionSourceName(finding.suggestion->from)) : "",
          sha256};
}

}  // namespace audit
