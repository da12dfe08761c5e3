#include "audit/report.h"

#include <cstdio>

#include "audit/json_text.h"
#include "audit/terminal_text.h"
#include "host/text.h"

namespace audit {
namespace {

std::string Quoted(const std::string& text) { return "\"" + text + "\""; }

std::string MapOf(const Finding& finding) {
  return finding.map ? "area of map " + Quoted(*finding.map) : std::string("area of an unnamed map");
}

nlohmann::ordered_json OrNull(const std::optional<std::string>& text) {
  return text ? nlohmann::ordered_json(*text) : nlohmann::ordered_json(nullptr);
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
    case Rule::AltNotDistinct:
      return MapOf(finding) + " linking to " + Quoted(*finding.href) + " has the alt text " + Quoted(*finding.alt) +
             " of areas linking elsewhere: " + finding.detail;
    case Rule::AltIsFileName:
    case Rule::AltIsUrl:
    case Rule::AltIsCode:
    case Rule::AltIsPlaceholder:
    case Rule::AltTooLong:
      return MapOf(finding) + " linking to " + Quoted(*finding.href) + " has alt text " + Quoted(*finding.alt) +
             ", which is " + finding.detail;
  }
  return {};
}

std::string FindingLine(const std::string& path, const Finding& finding) {
  return ForTerminal(path + ":" + std::to_string(finding.line) + ":" + std::to_string(finding.column) + ": " +
                     std::string(RuleName(finding.rule)) + ": " + FindingMessage(finding));
}

std::string FindingJson(const std::string& path, const Finding& finding, std::string_view severity) {
  const auto& suggestion = finding.suggestion;
  // Member by member: an initializer list costs twice the time, as it
  // copies each value to find out whether it is an object.
  nlohmann::ordered_json json = nlohmann::ordered_json::object();
  json["path"] = path;
  json["line"] = finding.line;
  json["column"] = finding.column;
  json["rule"] = RuleName(finding.rule);
  json["severity"] = severity;
  json["map"] = OrNull(finding.map);
  json["area"] = finding.area;
  json["href"] = OrNull(finding.href);
  json["alt"] = OrNull(finding.alt);
  json["suggested_alt"] = OrNull(suggestion ? std::optional(suggestion->text) : std::nullopt);
  json["suggested_from"] = OrNull(suggestion ? std::optional(std::string(SuggestionSourceName(suggestion->from))) : std::nullopt);
  return JsonText(json);
}

std::string JsonQuoted(std::string_view text) {
  std::string out;
  AppendJsonQuoted(out, text);
  return out;
}

void AppendJsonQuoted(std::string& out, std::string_view text) {
  out.reserve(out.size() + text.size() + 2);
  out += '"';
  const auto plain = [](unsigned char byte) {
    return byte >= 0x20 && byte < 0x7F && byte != '"' && byte != '\\' && byte != '<' && byte != '>' && byte != '&';
  };
  for (std::size_t i = 0; i < text.size();) {
    // Runs that need no escape go in whole.
    std::size_t run = i;
    while (run < text.size() && plain(static_cast<unsigned char>(text[run]))) ++run;
    out.append(text, i, run - i);
    i = run;
    if (i == text.size()) break;
    const unsigned char byte = static_cast<unsigned char>(text[i]);
    const bool scriptMarkup = byte == '<' || byte == '>' || byte == '&';
    const host::Utf8Step step = host::NextUtf8(text, i);
    const char32_t c = step.c;
    if (!step.valid) {
      out += "\\ufffd";
    } else if (c == '"' || c == '\\') {
      out += '\\';
      out += static_cast<char>(c);
    } else if (c < 0x20 || (c >= 0x7F && c <= 0x9F) || scriptMarkup || c == 0x2028 || c == 0x2029) {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\u%04x", static_cast<unsigned>(c));
      out += escaped;
    } else {
      out.append(text, i, step.length);
    }
    i += step.length;
  }
  out += '"';
}

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
