#include "audit/report.h"

#include <cstdio>

namespace audit {
namespace {

std::string Quoted(const std::string& text) { return "\"" + text + "\""; }

std::string MapOf(const Finding& finding) {
  return finding.map ? "area of map " + Quoted(*finding.map) : std::string("area of an unnamed map");
}

std::string JsonString(const std::optional<std::string>& text) {
  if (!text) return "null";
  std::string out = "\"";
  for (const char c : *text) {
    if (c == '"' || c == '\\') {
      out += '\\';
      out += c;
    } else if (static_cast<unsigned char>(c) < 0x20) {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\u%04x", static_cast<unsigned>(c));
      out += escaped;
    } else {
      out += c;
    }
  }
  return out + "\"";
}

}  // namespace

std::string FindingLine(const std::string& path, const Finding& finding) {
  std::string message;
  switch (finding.rule) {
    case Rule::MissingAlt:
      message = MapOf(finding) + " linking to " + Quoted(*finding.href) + " has no alt text";
      break;
    case Rule::EmptyAlt:
      message = MapOf(finding) + " linking to " + Quoted(*finding.href) + " has a blank alt text";
      break;
    case Rule::AltWithoutHref:
      message = MapOf(finding) + " has alt " + Quoted(*finding.alt) + " but no href; the alt must be omitted";
      break;
  }
  return path + ":" + std::to_string(finding.line) + ":" + std::to_string(finding.column) + ": " +
         std::string(RuleName(finding.rule)) + ": " + message;
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

const CsvRow kTodoHeader = {"path", "line", "column", "map", "area", "href", "alt", "new_alt",
                             "suggested_alt", "suggested_from", "sha256"};

CsvRow TodoRow(const std::string& path, const Finding& finding, const std::string& sha256) {
  return {path, std::to_string(finding.line), std::to_string(finding.column), finding.map.value_or(""),
          std::to_string(finding.area), finding.href.value_or(""), finding.alt.value_or(""), "",
          finding.suggestion ? finding.suggestion->text : "",
          finding.suggestion ? std::string(SuggestionSourceName(finding.suggestion->from)) : "", sha256};
}

}  // namespace audit
