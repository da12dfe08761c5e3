#include "audit/sarif.h"

#include <filesystem>

#include "audit/json_text.h"
#include "audit/report.h"
#include "host/text.h"
#include "pages/percent_encoding.h"

namespace audit {
namespace {

constexpr const char* kAreaRule = "https://html.spec.whatwg.org/multipage/image-maps.html#the-area-element";
constexpr const char* kH24 = "https://www.w3.org/WAI/WCAG21/Techniques/html/H24";
// The tool has no home page of its own: the technique it checks stands for it.
constexpr const char* kInformationUri = "https://www.w3.org/WAI/WCAG21/Techniques/html/H24";

constexpr const char* kF30 = "https://www.w3.org/WAI/WCAG21/Techniques/failures/F30";
constexpr const char* kDescriptiveName = "https://www.w3.org/WAI/standards-guidelines/act/rules/qt1vmo/";
constexpr const char* kLinkPurpose = "https://www.w3.org/WAI/WCAG21/Understanding/link-purpose-in-context.html";

// What a rule's help links to, each with its name.
struct RuleLinks {
  const char* firstName;
  const char* first;
  const char* secondName;
  const char* second;
};
constexpr RuleLinks kAreaLinks = {"the HTML standard's rule for the alt text of area elements", kAreaRule,
                                  "WCAG technique H24, text alternatives for the area elements of image maps", kH24};
constexpr RuleLinks kTextLinks = {"WCAG failure F30, text alternatives that are not alternatives", kF30,
                                  "the ACT rule that an image's accessible name is descriptive", kDescriptiveName};
constexpr RuleLinks kDistinctLinks = {"WCAG technique H24, text alternatives for the area elements of image maps", kH24,
                                      "WCAG 2.4.4, link purpose in context", kLinkPurpose};

struct RuleText {
  Rule rule;
  const char* level;
  const char *shortDescription, *fullDescription, *help, *helpUri;
  RuleLinks links;
};

// A rule that judges an alt that is there: a warning, helped by F30.
constexpr RuleText TextRule(Rule rule, const char* shortDescription, const char* fullDescription, const char* help) {
  return {rule, "warning", shortDescription, fullDescription, help, kF30, kTextLinks};
}

// In the order of Rule, so that a finding's rule is its index here.
constexpr RuleText kRules[] = {
    {Rule::MissingAlt, "error", "An image-map area that links somewhere has no alt text.",
     "An area element of an image map with an href is a link, and its alt attribute is the link's text; without one a "
     "screen reader has nothing to say for the link but its address.",
     "Give the area an alt attribute naming what the link leads to, as the text of a link would.", kH24, kAreaLinks},
    {Rule::EmptyAlt, "error", "An image-map area that links somewhere has an empty alt text.",
     "An area element of an image map with an href needs an alt text that is not empty: an alt of nothing or of "
     "white space only leaves the link without a name for a screen reader.",
     "Write in the area's alt attribute what the link leads to, as the text of a link would.", kH24, kAreaLinks},
    {Rule::AltWithoutHref, "warning", "An image-map area without a link has an alt text.",
     "An area element without an href is no link, and it must not have an alt attribute: the text names nothing "
     "a reader can follow.",
     "Remove the area's alt attribute, or give the area the href it lacks.", kAreaRule, kAreaLinks},
    TextRule(Rule::AltIsFileName, "An image-map area's alt text is a file name.",
             "A screen reader reads an area's alt as the name of its link; a file name (the image's, the target page's "
             "or any other) says nothing of where the link leads.",
             "Replace the alt text with the words a sighted reader sees in that part of the image."),
    TextRule(Rule::AltIsUrl, "An image-map area's alt text is a web or mail address.",
             "An address read out letter by letter is no name for a link: the alt should say what the link leads to.",
             "Replace the alt text with what the link leads to, in words."),
    TextRule(Rule::AltIsCode, "An image-map area's alt text is server or template code.",
             "Code that a server or a template was to fill in reached the page as it is; a screen reader reads it out.",
             "Fill in the text the code was to give, or write the alt text by hand."),
    TextRule(Rule::AltIsPlaceholder, "An image-map area's alt text is a placeholder.",
             "Words such as \"image\", \"spacer\", \"click here\" or an editor's default page title, or a text of no "
             "word at all, tell a screen-reader user nothing about the link.",
             "Replace the alt text with what the link leads to."),
    TextRule(Rule::AltTooLong, "An image-map area's alt text is longer than 150 characters.",
             "An alt text is the name of a link, to be heard at every pass; a description belongs in the page.",
             "Shorten the alt text to a name of what the link leads to, and put the rest in the page."),
    {Rule::AltNotDistinct, "warning", "Areas of one image map that link to different places have the same alt text.",
     "A screen-reader user hears the links of a map by their alt texts: two links of the same name that lead to "
     "different places cannot be told apart.",
     "Give each area an alt text that says where its own link leads.", kLinkPurpose, kDistinctLinks},
};
static_assert([] {
  for (std::size_t i = 0; i < std::size(kRules); ++i) {
    if (static_cast<std::size_t>(kRules[i].rule) != i) return false;
  }
  return true;
}());

using Json = nlohmann::ordered_json;

// {"text": ...}: a message, a description or a snippet.
Json WithText(const std::string& text) { return {{"text", text}}; }

std::string Sentence(std::string text) {
  if (!text.empty() && text[0] >= 'a' && text[0] <= 'z') text[0] = static_cast<char>(text[0] - 'a' + 'A');
  return text + ".";
}

Json RuleJson(const RuleText& r) {
  const RuleLinks& l = r.links;
  std::string links = std::string(l.firstName) + ": " + l.first + "; " + l.secondName + ": " + l.second;
  if (links[0] >= 'a' && links[0] <= 'z') links[0] = static_cast<char>(links[0] - 'a' + 'A');
  const std::string markdown = std::string(r.help) + " See [" + l.firstName + "](" + l.first + ") and [" + l.secondName +
                               "](" + l.second + ").";
  return {{"id", RuleName(r.rule)},
          {"shortDescription", WithText(r.shortDescription)},
          {"fullDescription", WithText(r.fullDescription)},
          {"help", {{"text", std::string(r.help) + " " + links}, {"markdown", markdown}}},
          {"helpUri", r.helpUri},
          {"defaultConfiguration", {{"level", r.level}}},
          {"properties", {{"tags", {"accessibility"}}}}};
}

// Where a page is: its path under the base of its web.
Json PageLocation(const std::string& base, const std::string& path) {
  Json location = Json::object();
  Json& artifact = location["physicalLocation"]["artifactLocation"];
  artifact["uri"] = pages::PercentEncoded(path);
  artifact["uriBaseId"] = base;
  return location;
}

// The absolute file URI of a web folder named as the user named it.
std::string FolderUri(const std::string& web) {
  namespace fs = std::filesystem;
  const fs::path absolute = fs::absolute(fs::path(std::u8string(web.begin(), web.end()))).lexically_normal();
  const std::u8string generic = absolute.generic_u8string();
  std::string path(generic.begin(), generic.end());
  if (!path.ends_with('/')) path += '/';
  // file:///home/..., file:///C:/..., and a share's file://server/share/.
  const std::string encoded = pages::PercentEncoded(path, ":");
  return encoded.starts_with("//") ? "file:" + encoded : encoded.starts_with("/") ? "file://" + encoded : "file:///" + encoded;
}

}  // namespace

std::string AreaTagText(const Finding& finding, std::string_view page, pages::Encoding encoding) {
  return host::ToUtf8(pages::Decode(page.substr(finding.offset, finding.end - finding.offset), encoding));
}

SarifLog::SarifLog(std::ostream& out, const std::vector<std::string>& webs) : out_(out) {
  Json bases = Json::object();
  for (std::size_t w = 0; w < webs.size(); ++w) {
    bases_.push_back(w == 0 ? "WEBROOT" : "WEBROOT" + std::to_string(w + 1));
    bases[bases_.back()] = {{"uri", FolderUri(webs[w])}};
  }
  Json rules = Json::array();
  for (const RuleText& rule : kRules) rules.push_back(RuleJson(rule));
  const Json tool = {{"driver",
                      {{"name", "mapnote-audit"},
                       {"version", MAPNOTE_AUDIT_VERSION},
                       {"semanticVersion", MAPNOTE_AUDIT_VERSION},
                       {"informationUri", kInformationUri},
                       {"rules", rules}}}};
  out_ << "{\n"
          "  \"$schema\": \"https://docs.oasis-open.org/sarif/sarif/v2.1.0/errata01/os/schemas/sarif-schema-2.1.0.json\",\n"
          "  \"version\": \"2.1.0\",\n"
          "  \"runs\": [{\n"
          "    \"tool\": " << JsonText(tool) << ",\n"
          "    \"originalUriBaseIds\": " << JsonText(bases) << ",\n"
          "    \"columnKind\": \"unicodeCodePoints\",\n"
          "    \"results\": [";
}

std::string SarifLog::ResultText(std::size_t web, const std::string& path, const Finding& finding,
                                 const std::string& tag, bool error, bool baselined) const {
  // Member by member, as an initializer list copies each value to find out
  // whether it is an object.
  Json result = Json::object();
  result["ruleId"] = RuleName(finding.rule);
  result["ruleIndex"] = static_cast<std::size_t>(finding.rule);
  result["level"] = error ? "error" : "warning";
  if (baselined) result["baselineState"] = "new";
  result["message"]["text"] = Sentence(FindingMessage(finding));
  Json location = PageLocation(bases_[web], path);
  Json& region = location["physicalLocation"]["region"];
  region["startLine"] = finding.line;
  region["startColumn"] = finding.column;
  region["snippet"]["text"] = tag;
  result["locations"].push_back(std::move(location));
  // The text the web already gives for the area's link, as the result's own
  // properties: SARIF has no place of its own for a suggested text.
  if (finding.suggestion) {
    result["properties"]["suggested_alt"] = finding.suggestion->text;
    result["properties"]["suggested_from"] = SuggestionSourceName(finding.suggestion->from);
  }
  return JsonText(result);
}

void SarifLog::AddResult(std::string_view text) { out_ << (results_++ > 0 ? ",\n      " : "\n      ") << text; }

void SarifLog::AddUnread(std::optional<std::size_t> web, const std::string& path, const std::string& reason) {
  Json notification = {{"level", "error"}, {"message", WithText(reason)}};
  if (web && !path.empty()) notification["locations"] = Json::array({PageLocation(bases_[*web], path)});
  notifications_.push_back(JsonText(notification));
}

void SarifLog::Finish() {
  out_ << (results_ > 0 ? "\n    ]," : "],") << "\n    \"invocations\": [{\"executionSuccessful\": "
       << (notifications_.empty() ? "true" : "false") << ", \"toolExecutionNotifications\": [";
  for (std::size_t n = 0; n < notifications_.size(); ++n) out_ << (n > 0 ? ",\n      " : "\n      ") << notifications_[n];
  out_ << (notifications_.empty() ? "]}]\n" : "\n    ]}]\n") << "  }]\n}\n";
}

}  // namespace audit
