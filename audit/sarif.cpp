#include "audit/sarif.h"

#include <filesystem>

#include "audit/report.h"
#include "host/text.h"
#include "pages/percent_encoding.h"

namespace audit {
namespace {

constexpr const char* kAreaRule = "https://html.spec.whatwg.org/multipage/image-maps.html#the-area-element";
constexpr const char* kH24 = "https://www.w3.org/WAI/WCAG21/Techniques/html/H24";
// The tool has no home page of its own: the technique it checks stands for it.
constexpr const char* kInformationUri = "https://www.w3.org/WAI/WCAG21/Techniques/html/H24";

struct RuleText {
  Rule rule;
  const char* level;
  const char* shortDescription;
  const char* fullDescription;
  const char* help;
  const char* helpUri;
};

// In the order of Rule, so that a finding's rule is its index here.
constexpr RuleText kRules[] = {
    {Rule::MissingAlt, "error", "An image-map area that links somewhere has no alt text.",
     "An area element of an image map with an href is a link, and its alt attribute is the link's text; without one a "
     "screen reader has nothing to say for the link but its address.",
     "Give the area an alt attribute naming what the link leads to, as the text of a link would.", kH24},
    {Rule::EmptyAlt, "error", "An image-map area that links somewhere has an empty alt text.",
     "An area element of an image map with an href needs an alt text that is not empty: an alt of nothing or of "
     "white space only leaves the link without a name for a screen reader.",
     "Write in the area's alt attribute what the link leads to, as the text of a link would.", kH24},
    {Rule::AltWithoutHref, "warning", "An image-map area without a link has an alt text.",
     "An area element without an href is no link, and it must not have an alt attribute: the text names nothing "
     "a reader can follow.",
     "Remove the area's alt attribute, or give the area the href it lacks.", kAreaRule},
};
static_assert([] {
  for (std::size_t i = 0; i < std::size(kRules); ++i) {
    if (static_cast<std::size_t>(kRules[i].rule) != i) return false;
  }
  return true;
}());

// {"text": ...}: a message, a description or a snippet.
std::string WithText(const std::string& text) { return "{\"text\": " + JsonQuoted(text) + "}"; }

std::string RuleJson(const RuleText& r) {
  const std::string links = std::string("The HTML standard's rule for the alt text of area elements: ") + kAreaRule +
                            "; WCAG technique H24, text alternatives for the area elements of image maps: " + kH24;
  const std::string markdown = std::string(r.help) + " See [the HTML standard's rule for area alt text](" + kAreaRule +
                               ") and [WCAG technique H24](" + kH24 + ").";
  return "{\"id\": " + JsonQuoted(std::string(RuleName(r.rule))) + ", \"shortDescription\": " + WithText(r.shortDescription) +
         ", \"fullDescription\": " + WithText(r.fullDescription) + ", \"help\": {\"text\": " +
         JsonQuoted(std::string(r.help) + " " + links) + ", \"markdown\": " + JsonQuoted(markdown) +
         "}, \"helpUri\": " + JsonQuoted(r.helpUri) + ", \"defaultConfiguration\": {\"level\": " + JsonQuoted(r.level) +
         "}, \"properties\": {\"tags\": [\"accessibility\"]}}";
}

std::string Sentence(std::string text) {
  if (!text.empty() && text[0] >= 'a' && text[0] <= 'z') text[0] = static_cast<char>(text[0] - 'a' + 'A');
  return text + ".";
}

// The text the web already gives for the area's link, as a result's own
// properties: SARIF has no place of its own for a suggested text.
std::string SuggestionProperties(const Finding& finding) {
  if (!finding.suggestion) return "";
  return ", \"properties\": {\"suggested_alt\": " + JsonQuoted(finding.suggestion->text) +
         ", \"suggested_from\": " + JsonQuoted(std::string(SuggestionSourceName(finding.suggestion->from))) + "}";
}

std::string PageLocation(const std::string& path, const std::string& region) {
  return "{\"physicalLocation\": {\"artifactLocation\": {\"uri\": " + JsonQuoted(pages::PercentEncoded(path)) +
         ", \"uriBaseId\": \"WEBROOT\"}" + region + "}}";
}

}  // namespace

SarifLog::SarifLog(const std::string& web) {
  namespace fs = std::filesystem;
  const fs::path absolute = fs::absolute(fs::path(std::u8string(web.begin(), web.end()))).lexically_normal();
  const std::u8string generic = absolute.generic_u8string();
  std::string path(generic.begin(), generic.end());
  if (!path.ends_with('/')) path += '/';
  // file:///home/..., file:///C:/..., and a share's file://server/share/.
  const std::string encoded = pages::PercentEncoded(path, ":");
  webUri_ = encoded.starts_with("//") ? "file:" + encoded : encoded.starts_with("/") ? "file://" + encoded : "file:///" + encoded;
}

std::string AreaTagText(const Finding& finding, std::string_view page, pages::Encoding encoding) {
  return host::ToUtf8(pages::Decode(page.substr(finding.offset, finding.end - finding.offset), encoding));
}

void SarifLog::AddFinding(const std::string& path, const Finding& finding, const std::string& tag) {
  const auto rule = static_cast<std::size_t>(finding.rule);
  const std::string region = ", \"region\": {\"startLine\": " + std::to_string(finding.line) +
                             ", \"startColumn\": " + std::to_string(finding.column) + ", \"snippet\": " + WithText(tag) + "}";
  results_.push_back("{\"ruleId\": " + JsonQuoted(std::string(RuleName(finding.rule))) + ", \"ruleIndex\": " +
                     std::to_string(rule) + ", \"level\": " + JsonQuoted(kRules[rule].level) +
                     ", \"message\": " + WithText(Sentence(FindingMessage(finding))) + ", \"locations\": [" +
                     PageLocation(path, region) + "]" + SuggestionProperties(finding) + "}");
}

void SarifLog::AddUnread(const std::string& path, const std::string& reason) {
  notifications_.push_back("{\"level\": \"error\", \"message\": " + WithText(reason) +
                           (path.empty() ? std::string() : ", \"locations\": [" + PageLocation(path, "") + "]") + "}");
}

std::string SarifLog::Text() const {
  // One item a line, `indent` deep, the closing bracket two less.
  const auto list = [](const std::vector<std::string>& items, std::string_view indent) {
    std::string out = "[";
    for (std::size_t i = 0; i < items.size(); ++i) {
      out += i ? ",\n" : "\n";
      out += indent;
      out += items[i];
    }
    if (!items.empty()) {
      out += '\n';
      out += indent.substr(2);
    }
    return out += ']';
  };
  std::vector<std::string> rules;
  for (const RuleText& rule : kRules) rules.push_back(RuleJson(rule));
  return "{\n"
         "  \"$schema\": \"https://docs.oasis-open.org/sarif/sarif/v2.1.0/errata01/os/schemas/sarif-schema-2.1.0.json\",\n"
         "  \"version\": \"2.1.0\",\n"
         "  \"runs\": [{\n"
         "    \"tool\": {\"driver\": {\"name\": \"mapnote-audit\", \"version\": \"" MAPNOTE_AUDIT_VERSION "\", "
         "\"semanticVersion\": \"" MAPNOTE_AUDIT_VERSION "\", \"informationUri\": " +
         JsonQuoted(kInformationUri) + ",\n      \"rules\": " + list(rules, "        ") +
         "}},\n"
         "    \"invocations\": [{\"executionSuccessful\": " + (notifications_.empty() ? "true" : "false") +
         ", \"toolExecutionNotifications\": " + list(notifications_, "      ") + "}],\n"
         "    \"originalUriBaseIds\": {\"WEBROOT\": {\"uri\": " + JsonQuoted(webUri_) + "}},\n"
         "    \"columnKind\": \"unicodeCodePoints\",\n"
         "    \"results\": " + list(results_, "      ") + "\n"
         "  }]\n"
         "}\n";
}

}  // namespace audit
