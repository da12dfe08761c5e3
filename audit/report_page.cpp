#include "audit/report_page.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <filesystem>
#include <fstream>
#include <map>

#include "audit/area_shape.h"
#include "audit/image_size.h"
#include "audit/link_target.h"
#include "audit/page_outline.h"
#include "audit/report.h"
#include "audit/report_page_template.h"
#include "audit/sha256.h"
#include "host/error.h"
#include "pages/page.h"
#include "pages/page_file.h"
#include "pages/utf8_path.h"

namespace audit {
namespace {

namespace fs = std::filesystem;
using pages::PathOf;

// A JSON string fit to sit inside a <script> element: nothing in it can
// end the element or open a comment there, whatever the pages held.
std::string Json(std::string_view utf8) {
  const std::string text = host::ToUtf8(host::FromUtf8(utf8));  // malformed bytes as U+FFFD
  std::string out = "\"";
  for (std::size_t i = 0; i < text.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    if (c == '"' || c == '\\') {
      out += '\\';
      out += static_cast<char>(c);
    } else if (c < 0x20 || c == '<' || c == '>' || c == '&') {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
      out += escaped;
    } else if (c == 0xE2 && text.compare(i, 2, "\xE2\x80") == 0 && i + 2 < text.size() &&
               (text[i + 2] == '\xA8' || text[i + 2] == '\xA9')) {  // line and paragraph separators
      out += text[i + 2] == '\xA8' ? "\\u2028" : "\\u2029";
      i += 2;
    } else {
      out += static_cast<char>(c);
    }
  }
  return out + "\"";
}

std::string JsonOrNull(const std::optional<std::string>& text) { return text ? Json(*text) : "null"; }
std::string JsonOrNull(const std::optional<host::Text>& text) {
  return text ? Json(std::string_view(host::ToUtf8(*text))) : "null";
}

std::string Number(double value) {
  char digits[32];
  const auto result = std::to_chars(digits, digits + sizeof digits, value);
  return std::string(digits, result.ptr);
}

// A path as a URL relative to the report: every byte but unreserved ones,
// '/' and ':' escaped, and "./" first so that no segment can read as a
// scheme; a file URL when there is no relative way (another drive).
std::string RelativeUrl(const fs::path& from, const fs::path& to) {
  std::error_code ec;
  const fs::path relative = fs::relative(to, from, ec);
  const std::u8string generic = (ec || relative.empty() ? fs::absolute(to, ec) : relative).generic_u8string();
  std::string url = relative.empty() || relative.is_absolute() ? "file://" : "./";
  if (url == "file://" && !generic.starts_with(u8"/")) url += '/';  // a drive letter: file:///C:/...
  for (const char8_t c8 : generic) {
    const char c = static_cast<char>(c8);
    if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' || c == '.' ||
        c == '_' || c == '~' || c == '/' || c == ':') {
      url += c;
    } else {
      char escaped[4];
      std::snprintf(escaped, sizeof escaped, "%%%02X", static_cast<unsigned char>(c));
      url += escaped;
    }
  }
  return url;
}

// The non-negative integer of a width or height attribute; nullopt for a
// percentage, a zero or no number.
std::optional<unsigned> Dimension(const std::optional<host::Text>& value) {
  if (!value) return std::nullopt;
  std::size_t at = 0;
  while (at < value->size() && pages::IsHtmlSpace((*value)[at])) ++at;
  unsigned long long n = 0;
  const std::size_t digits = at;
  while (at < value->size() && (*value)[at] >= u'0' && (*value)[at] <= u'9' && n < 100000) n = n * 10 + ((*value)[at++] - u'0');
  if (at == digits || n == 0 || n >= 100000 || (at < value->size() && (*value)[at] == u'%')) return std::nullopt;
  return static_cast<unsigned>(n);
}

struct Totals {
  std::size_t pages = 0, unreadable = 0, areas = 0, rows = 0, suggested = 0;
  std::array<std::size_t, 3> perRule{};
};

class ReportWriter {
 public:
  ReportWriter(const std::string& file, const std::string& web, const Suggestions& suggestions)
      : web_(web), suggestions_(suggestions) {
    std::error_code ec;
    const fs::path report = fs::absolute(PathOf(file), ec).lexically_normal();
    reportFolder_ = report.parent_path();
    webFolder_ = fs::absolute(PathOf(web), ec);
    // Said by a report that finds no image from where it was moved to: the
    // way back, from the web's folder to where it was written.
    const fs::path folder = webFolder_.lexically_normal();
    const fs::path fromWeb = report.lexically_relative(folder);
    reportPath_ = pages::Utf8Of((fromWeb.empty() ? report : fromWeb).generic_u8string());
    webName_ = pages::Utf8Of((folder.filename().empty() ? folder.parent_path().filename() : folder.filename()).generic_u8string());
  }

  // The page's part of the data, or nothing when it has no finding.
  void AddPage(const std::string& path, const AuditOptions& options) {
    std::optional<pages::Page> page;
    try {
      page.emplace(web_ + "/" + path);
    } catch (const host::Error&) {
      ++totals_.unreadable;
      return;
    }
    PageAudit audit = AuditPage(page->markup(), page->markupEncoding(), options);
    ++totals_.pages;
    totals_.areas += audit.areas;
    if (audit.findings.empty()) return;
    const std::string sha256 = Sha256Hex(page->bytes());
    const PageOutline outline = ReadPageOutline(page->markup(), page->markupEncoding());
    std::map<std::size_t, const Finding*> findingOf;
    for (Finding& finding : audit.findings) {
      if (finding.href) finding.suggestion = suggestions_.For(path, *finding.href);
      findingOf[finding.area] = &finding;
      ++totals_.perRule[static_cast<std::size_t>(finding.rule)];
      if (finding.rule == Rule::AltWithoutHref) continue;
      ++totals_.rows;
      if (finding.suggestion) ++totals_.suggested;
    }
    data_ += (pagesWritten_++ ? ",\n{" : "\n{");
    data_ += "\"path\":" + Json(path) + ",\"maps\":[";
    // A finding whose area this simpler reading puts in no map (markup a
    // parser nests otherwise) still gets its row, under a map of its own.
    const int kOutside = static_cast<int>(outline.maps.size());
    for (int m = 0; m <= kOutside; ++m) {
      std::string areas;
      std::size_t number = 0;
      for (std::size_t a = 0; a < outline.areas.size(); ++a) {
        const auto found = findingOf.find(a);
        if (outline.areas[a].map != m && !(m == kOutside && outline.areas[a].map < 0 && found != findingOf.end())) continue;
        areas += number > 0 ? ",\n" : "\n";
        ++number;
        areas += AreaJson(path, outline.areas[a], a, number, found == findingOf.end() ? nullptr : found->second, sha256);
      }
      if (number == 0) continue;
      const auto name = m < kOutside ? outline.maps[static_cast<std::size_t>(m)] : std::nullopt;
      if (!data_.ends_with("[")) data_ += ',';
      data_ += "\n{\"name\":";
      data_ += JsonOrNull(name);
      data_ += ",\"image\":";
      data_ += m < kOutside ? ImageJson(path, outline, name) : "null";
      data_ += ",\"areas\":[";
      data_ += areas;
      data_ += "]}";
    }
    data_ += "]}";
  }

  std::string Html() const {
    std::string header = CsvRecord(kTodoHeader);
    header.resize(header.size() - 2);
    const Totals& t = totals_;
    std::string data = "{\"web\":" + Json(web_) + ",\"header\":" + Json(header) + ",\"summary\":{\"pages\":" +
                       std::to_string(t.pages) + ",\"unreadable\":" + std::to_string(t.unreadable) +
                       ",\"areas\":" + std::to_string(t.areas) + ",\"missing-alt\":" + std::to_string(t.perRule[0]) +
                       ",\"empty-alt\":" + std::to_string(t.perRule[1]) +
                       ",\"alt-without-href\":" + std::to_string(t.perRule[2]) + ",\"rows\":" + std::to_string(t.rows) +
                       ",\"suggested\":" + std::to_string(t.suggested) + "},\"pages\":[" + data_ + "]";
    // Typed texts are kept under this name: the same report of the same web
    // finds them again, another does not.
    data += ",\"id\":" + Json(Sha256Hex(data)) + ",\"webName\":" + Json(webName_) + ",\"reportPath\":" + Json(reportPath_) + "}";
    std::string html(kReportPageTemplate);
    html.replace(html.find(kReportPageData), kReportPageData.size(), data);
    // Each report's title names its web, as a tab or a screen reader lists it.
    std::string title;
    for (const char c : host::ToUtf8(host::FromUtf8(webName_.empty() ? web_ : webName_))) {
      if (c == '&') title += "&amp;";
      else if (c == '<') title += "&lt;";
      else if (static_cast<unsigned char>(c) >= 0x20) title += c;
    }
    html.replace(html.find(kReportPageTitle), kReportPageTitle.size(), title);
    return html;
  }

 private:
  // The to-do row's CSV around its new_alt cell, as --todo writes it.
  static std::string RowPieces(const std::string& path, const Finding& finding, const std::string& sha256) {
    const CsvRow row = TodoRow(path, finding, sha256);
    const std::size_t newAlt =
        static_cast<std::size_t>(std::find(kTodoHeader.begin(), kTodoHeader.end(), std::string("new_alt")) - kTodoHeader.begin());
    const auto piece = [&](std::size_t from, std::size_t to) {
      std::string csv = CsvRecord(CsvRow(row.begin() + static_cast<std::ptrdiff_t>(from), row.begin() + static_cast<std::ptrdiff_t>(to)));
      return Json(csv.substr(0, csv.size() - 2));
    };
    std::string pieces = "[";
    pieces += newAlt > 0 ? piece(0, newAlt) : "null";
    pieces += ',';
    pieces += newAlt + 1 < row.size() ? piece(newAlt + 1, row.size()) : "null";
    return pieces + "]";
  }

  std::string AreaJson(const std::string& path, const OutlineArea& area, std::size_t index, std::size_t number,
                       const Finding* finding, const std::string& sha256) const {
    std::string json = "{\"n\":" + std::to_string(number) + ",\"index\":" + std::to_string(index);
    const auto shape = ReadAreaShape(area.shape ? std::optional<std::u16string_view>(*area.shape) : std::nullopt,
                                     area.coords.value_or(u""));
    static constexpr std::array<const char*, 4> kKinds = {"rect", "circle", "poly", "default"};
    json += ",\"shape\":";
    json += shape ? Json(kKinds[static_cast<std::size_t>(shape->kind)]) : "null";
    json += ",\"coords\":[";
    if (shape) {
      for (std::size_t i = 0; i < shape->coords.size(); ++i) {
        if (i > 0) json += ',';
        json += Number(shape->coords[i]);
      }
    }
    json += "],\"coordsText\":" + JsonOrNull(area.coords) + ",\"href\":" + JsonOrNull(area.href) + ",\"link\":" +
            JsonOrNull(area.href ? LinkUrl(path, host::ToUtf8(*area.href)) : std::nullopt) + ",\"alt\":" + JsonOrNull(area.alt) +
            ",\"title\":" + JsonOrNull(area.title) + ",\"ariaLabel\":" + JsonOrNull(area.ariaLabel);
    json += ",\"finding\":" + Json(finding ? std::string(RuleName(finding->rule)) : std::string("fine"));
    const bool row = finding && finding->rule != Rule::AltWithoutHref;
    const auto& suggestion = row ? finding->suggestion : std::nullopt;
    json += ",\"suggestion\":" + JsonOrNull(suggestion ? std::optional(suggestion->text) : std::nullopt) +
            ",\"from\":" + JsonOrNull(suggestion ? std::optional(std::string(SuggestionSourceName(suggestion->from))) : std::nullopt);
    json += ",\"csv\":" + (row ? RowPieces(path, *finding, sha256) : std::string("null")) + "}";
    return json;
  }

  // Where the report links an href to: a file of the web relative to the
  // report, a web address or mail as written; nothing for other schemes
  // (a "javascript:" href must not become a link in the report).
  std::optional<std::string> LinkUrl(const std::string& path, const std::string& href) const {
    const std::string target = ResolveLink(path, href);
    for (const char* scheme : {"http:", "https:", "mailto:", "ftp:"}) {
      if (target.starts_with(scheme)) return target;
    }
    if (!target.starts_with("/") || target.starts_with("//")) return std::nullopt;
    const auto file = WebFileOf(target);
    const std::size_t suffix = std::min(target.find_first_of("?#"), target.size());
    const fs::path where = file ? webFolder_ / PathOf(*file) : webFolder_ / PathOf(target.substr(1, suffix - 1));
    return RelativeUrl(reportFolder_, where) + target.substr(suffix);
  }

  // The image that uses the map, its address from the report and the size
  // the page shows it at; or why there is none to show.
  std::string ImageJson(const std::string& path, const PageOutline& outline, const std::optional<host::Text>& map) const {
    const OutlineImage* image = nullptr;
    for (const OutlineImage& candidate : outline.images) {
      if (map && candidate.usemap && candidate.usemap->starts_with(u"#") && candidate.usemap->substr(1) == *map) {
        image = &candidate;
        break;
      }
    }
    if (!image) return "null";
    std::string json = "{\"src\":" + JsonOrNull(image->src);
    std::optional<ImageSize> natural;
    std::optional<std::string> url, problem;
    const std::optional<std::string> src = image->src ? std::optional(host::ToUtf8(*image->src)) : std::nullopt;
    const std::string target = src ? ResolveLink(path, *src) : std::string();
    const auto webFile = src ? WebFileOf(target) : std::nullopt;
    const auto file = webFile ? pages::FileInFolder(web_, *webFile) : std::nullopt;
    if (!src) {
      problem = "the image has no src";
    } else if (!file) {
      problem = "its src is not a file of the web";
    } else if (std::error_code ec; !fs::is_regular_file(PathOf(*file), ec)) {
      problem = "the file " + *webFile + " is not in the web";
    } else {
      url = RelativeUrl(reportFolder_, webFolder_ / PathOf(*webFile));
      natural = ImageFileSize(*file);
    }
    std::optional<unsigned> width = Dimension(image->width), height = Dimension(image->height);
    if (natural && width && !height) height = static_cast<unsigned>(double(*width) * natural->height / natural->width + 0.5);
    if (natural && height && !width) width = static_cast<unsigned>(double(*height) * natural->width / natural->height + 0.5);
    if (natural && !width && !height) {
      width = natural->width;
      height = natural->height;
    }
    if (url && !(width && height)) problem = "its size is neither given by the page nor readable from the file";
    json += ",\"url\":" + JsonOrNull(url) + ",\"problem\":" + JsonOrNull(problem);
    json += ",\"width\":" + (width && height ? std::to_string(*width) : "null") +
            ",\"height\":" + (width && height ? std::to_string(*height) : "null") + "}";
    return json;
  }

  std::string web_;
  const Suggestions& suggestions_;
  fs::path reportFolder_, webFolder_;
  std::string reportPath_, webName_;
  Totals totals_;
  std::string data_;
  std::size_t pagesWritten_ = 0;
};

}  // namespace

void CheckReportFile(const std::string& file) {
  const fs::path path(std::u8string(file.begin(), file.end()));
  std::error_code ec;
  if (!fs::exists(fs::symlink_status(path, ec))) return;
  // The template's head names the tool well within its first block.
  std::string head(4096, '\0');
  std::ifstream in(path, std::ios::binary);
  in.read(head.data(), static_cast<std::streamsize>(head.size()));
  head.resize(static_cast<std::size_t>(in.gcount()));
  if (!fs::is_regular_file(path, ec) || head.find("<meta name=\"generator\" content=\"mapnote-audit\">") == std::string::npos) {
    throw host::Error(pages::code::PathFileAccess,
                      host::FromUtf8("Cannot write the report \"" + file +
                                     "\": the file is there and is no report of mapnote-audit; name another file"));
  }
}

void WriteReportPage(const std::string& file, const std::string& web, const std::vector<std::string>& pages,
                     const AuditOptions& options, const Suggestions& suggestions) {
  CheckReportFile(file);
  ReportWriter writer(file, web, suggestions);
  for (const std::string& path : pages) writer.AddPage(path, options);
  pages::ReplacePageFile(file, writer.Html());
}

}  // namespace audit
