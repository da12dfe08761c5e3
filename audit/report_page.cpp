#include "audit/report_page.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <filesystem>
#include <fstream>
#include <map>

#include "audit/area_shape.h"
#include "audit/link_target.h"
#include "audit/report.h"
#include "audit/report_page_template.h"
#include "host/error.h"
#include "pages/page.h"
#include "pages/page_file.h"
#include "pages/utf8_path.h"

namespace audit {
namespace {

namespace fs = std::filesystem;
using pages::PathOf;

std::string Json(std::string_view utf8) { return JsonQuoted(utf8); }

// Onto the end of `out`: the report's areas are most of its data.
void AppendJsonOrNull(std::string& out, const std::optional<std::string>& text) {
  if (text) {
    AppendJsonQuoted(out, *text);
  } else {
    out += "null";
  }
}
void AppendJsonOrNull(std::string& out, const std::optional<host::Text>& text) {
  if (!text) {
    out += "null";
    return;
  }
  thread_local std::string utf8;
  utf8.clear();
  host::AppendUtf8(utf8, *text);
  AppendJsonQuoted(out, utf8);
}

std::string JsonOrNull(const std::optional<std::string>& text) {
  std::string json;
  AppendJsonOrNull(json, text);
  return json;
}

// Every byte of a path but unreserved ones, '/' and ':' escaped.
void AppendUrlPath(std::string& url, std::string_view path) {
  for (const char c : path) {
    if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' || c == '.' ||
        c == '_' || c == '~' || c == '/' || c == ':') {
      url += c;
    } else {
      char escaped[4];
      std::snprintf(escaped, sizeof escaped, "%%%02X", static_cast<unsigned char>(c));
      url += escaped;
    }
  }
}

// A path as a URL relative to the report: escaped, and "./" first so that
// no segment can read as a scheme; a file URL when there is no relative way
// (another drive).
std::string RelativeUrl(const fs::path& from, const fs::path& to) {
  std::error_code ec;
  const fs::path relative = fs::relative(to, from, ec);
  const std::u8string generic = (ec || relative.empty() ? fs::absolute(to, ec) : relative).generic_u8string();
  std::string url = relative.empty() || relative.is_absolute() ? "file://" : "./";
  if (url == "file://" && !generic.starts_with(u8"/")) url += '/';  // a drive letter: file:///C:/...
  AppendUrlPath(url, std::string_view(reinterpret_cast<const char*>(generic.data()), generic.size()));
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

// The quality rules' counts, each as a field of the summary: none when
// nothing was judged.
std::string QualityCounts(const std::array<std::size_t, kRuleCount>& perRule) {
  std::string counts;
  for (std::size_t r = 0; r < kRuleCount; ++r) {
    if (IsQualityRule(static_cast<Rule>(r)) && perRule[r] > 0) {
      counts += "," + Json(RuleName(static_cast<Rule>(r))) + ":" + std::to_string(perRule[r]);
    }
  }
  return counts;
}

}  // namespace

ReportPageWriter::ReportPageWriter(const std::string& file, const std::string& web) : web_(web) {
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
  // Found once: asking the file system for every link of a big web costs
  // more than reading its pages.
  webUrl_ = RelativeUrl(reportFolder_, webFolder_);
  // The pages' data goes straight into the page, as for a big web it is
  // most of it; the summary follows them.
  html_.assign(kReportPageTemplate.substr(0, kReportPageTemplate.find(kReportPageData)));
  // Each report's title names its web, as a tab or a screen reader lists it.
  std::string title;
  for (const char c : host::ToUtf8(host::FromUtf8(webName_.empty() ? web_ : webName_))) {
    if (c == '&') {
      title += "&amp;";
    } else if (c == '<') {
      title += "&lt;";
    } else if (static_cast<unsigned char>(c) >= 0x20) {
      title += c;
    }
  }
  html_.replace(html_.find(kReportPageTitle), kReportPageTitle.size(), title);
  hashFrom_ = html_.size();
  html_.append("{\"pages\":[");
}

std::string ReportPageWriter::WebFileUrl(std::string_view file) const {
  std::string url = webUrl_ + "/";
  AppendUrlPath(url, file);
  return url;
}

ReportPageWriter::PageDraft ReportPageWriter::Draft(const std::string& path, const PageReading& reading,
                                                   const PageAudit& audit) const {
  PageDraft draft;
  if (audit.findings.empty()) return draft;
  std::map<std::size_t, std::size_t> findingOf;  // by area index
  for (std::size_t f = 0; f < audit.findings.size(); ++f) findingOf[audit.findings[f].area] = f;
  // Each map with its areas, the areas numbered in it from 1 and indexed
  // on the page as the to-do list indexes them; a row's suggestion is left
  // out until the whole web has been read.
  struct MapDraft {
    PageDraft areas;
    std::size_t count = 0;
  };
  std::vector<MapDraft> maps(reading.maps.size());
  for (std::size_t a = 0; a < reading.areas.size(); ++a) {
    const ReadArea& area = reading.areas[a];
    if (area.map < 0) continue;
    MapDraft& map = maps[static_cast<std::size_t>(area.map)];
    if (map.areas.pieces.empty()) map.areas.pieces.emplace_back();
    const auto found = findingOf.find(a);
    const Finding* finding = found == findingOf.end() ? nullptr : &audit.findings[found->second];
    map.areas.pieces.back() += map.count++ > 0 ? ",\n" : "\n";
    AppendAreaJson(map.areas.pieces.back(), path, area, a, map.count, finding);
    if (finding && GivesRow(finding->rule)) {
      map.areas.rows.push_back(found->second);
      map.areas.pieces.emplace_back();
    } else {
      map.areas.pieces.back() += ",\"suggestion\":null,\"from\":null,\"csv\":null}";
    }
  }
  draft.pieces.push_back("{\"path\":" + Json(path) + ",\"maps\":[");
  bool first = true;
  for (std::size_t m = 0; m < maps.size(); ++m) {
    if (maps[m].count == 0) continue;
    const auto& name = reading.maps[m];
    std::string& text = draft.pieces.back();
    text += first ? "\n{\"name\":" : ",\n{\"name\":";
    first = false;
    AppendJsonOrNull(text, name);
    text += ",\"image\":" + ImageJson(path, reading, m) + ",\"areas\":[";
    text += maps[m].areas.pieces.front();
    for (std::size_t r = 0; r < maps[m].areas.rows.size(); ++r) {
      draft.rows.push_back(maps[m].areas.rows[r]);
      draft.pieces.push_back(std::move(maps[m].areas.pieces[r + 1]));
    }
    draft.pieces.back() += "]}";
  }
  draft.pieces.back() += "]}";
  return draft;
}

std::string ReportPageWriter::PageData(const std::string& path, const PageDraft& draft, const PageAudit& audit,
                                       const std::string& sha256) const {
  if (draft.pieces.empty()) return "";
  std::string data = draft.pieces.front();
  for (std::size_t r = 0; r < draft.rows.size(); ++r) {
    const Finding& finding = audit.findings[draft.rows[r]];
    const auto& suggestion = finding.suggestion;
    data += ",\"suggestion\":" + JsonOrNull(suggestion ? std::optional(suggestion->text) : std::nullopt) +
            ",\"from\":" +
            JsonOrNull(suggestion ? std::optional(std::string(SuggestionSourceName(suggestion->from))) : std::nullopt) +
            ",\"csv\":" + RowPieces(path, finding, sha256) + "}";
    data += draft.pieces[r + 1];
  }
  return data;
}

void ReportPageWriter::AddPage(const PageAudit& audit, std::string_view data) {
  ++totals_.pages;
  totals_.areas += audit.areas;
  for (const Finding& finding : audit.findings) {
    ++totals_.perRule[static_cast<std::size_t>(finding.rule)];
    if (!GivesRow(finding.rule)) continue;
    ++totals_.rows;
    if (finding.suggestion) ++totals_.suggested;
  }
  if (data.empty()) return;
  html_ += pagesShown_++ > 0 ? ",\n" : "\n";
  html_ += data;
  // A few pages' worth at a time: the same memory, warm, for each part.
  constexpr std::size_t kWrittenAt = std::size_t{1} << 16;
  if (sink_ && html_.size() >= kWrittenAt) WriteOut();
}

void ReportPageWriter::WriteOut() {
  id_->Add(std::string_view(html_).substr(hashFrom_));
  (*sink_)(html_);
  html_.clear();
  hashFrom_ = 0;
}

void ReportPageWriter::Write(const std::string& file, const std::function<void()>& addPages) {
  CheckReportFile(file);
  pages::ReplacePageFileWith(file, [&](const pages::ContentSink& sink) {
    Sha256 id;
    sink_ = &sink;
    id_ = &id;
    struct Detach {
      ReportPageWriter& writer;
      ~Detach() { writer.sink_ = nullptr, writer.id_ = nullptr; }
    } detach{*this};
    addPages();
    Finish();
  });
}

void ReportPageWriter::Finish() {
  std::string header = CsvRecord(kTodoHeader);
  header.resize(header.size() - 2);
  const Totals& t = totals_;
  html_ += "],\"web\":" + Json(web_) + ",\"header\":" + Json(header) + ",\"summary\":{\"pages\":" +
           std::to_string(t.pages) + ",\"unreadable\":" + std::to_string(t.unreadable) +
           ",\"areas\":" + std::to_string(t.areas) + ",\"missing-alt\":" + std::to_string(t.perRule[0]) +
           ",\"empty-alt\":" + std::to_string(t.perRule[1]) + ",\"alt-without-href\":" + std::to_string(t.perRule[2]) +
           QualityCounts(t.perRule) + ",\"rows\":" + std::to_string(t.rows) + ",\"suggested\":" + std::to_string(t.suggested) + "}";
  // Typed texts are kept under this name: the same report of the same web
  // finds them again, another does not.
  html_ += ",\"webName\":" + Json(webName_) + ",\"reportPath\":" + Json(reportPath_);
  WriteOut();
  html_.append(",\"id\":").append(Json(id_->Hex())).append("}");
  html_.append(kReportPageTemplate.substr(kReportPageTemplate.find(kReportPageData) + kReportPageData.size()));
  (*sink_)(html_);
  html_.clear();
}

std::string ReportPageWriter::RowPieces(const std::string& path, const Finding& finding, const std::string& sha256) {
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

void ReportPageWriter::AppendAreaJson(std::string& json, const std::string& path, const ReadArea& area,
                                      std::size_t index, std::size_t number, const Finding* finding) const {
  char digits[32];
  const auto appendNumber = [&](auto value) {
    json.append(digits, std::to_chars(digits, digits + sizeof digits, value).ptr);
  };
  json += "{\"n\":";
  appendNumber(number);
  json += ",\"index\":";
  appendNumber(index);
  const auto shape = ReadAreaShape(area.shape ? std::optional<std::u16string_view>(*area.shape) : std::nullopt,
                                   area.coords.value_or(u""));
  static constexpr std::array<const char*, 4> kKinds = {"rect", "circle", "poly", "default"};
  json += ",\"shape\":";
  AppendJsonOrNull(json, shape ? std::optional<std::string>(kKinds[static_cast<std::size_t>(shape->kind)]) : std::nullopt);
  json += ",\"coords\":[";
  if (shape) {
    for (std::size_t i = 0; i < shape->coords.size(); ++i) {
      if (i > 0) json += ',';
      appendNumber(shape->coords[i]);
    }
  }
  json += "],\"coordsText\":";
  AppendJsonOrNull(json, area.coords);
  json += ",\"href\":";
  AppendJsonOrNull(json, area.href);
  json += ",\"link\":";
  AppendJsonOrNull(json, area.href ? LinkUrl(path, *area.href) : std::nullopt);
  json += ",\"alt\":";
  AppendJsonOrNull(json, area.alt);
  json += ",\"title\":";
  AppendJsonOrNull(json, area.title);
  json += ",\"ariaLabel\":";
  AppendJsonOrNull(json, area.ariaLabel);
  json += ",\"finding\":";
  AppendJsonQuoted(json, finding ? RuleName(finding->rule) : std::string_view("fine"));
}

std::optional<std::string> ReportPageWriter::LinkUrl(const std::string& path, std::u16string_view href) const {
    const std::string target = ResolveLink(path, href);
    for (const char* scheme : {"http:", "https:", "mailto:", "ftp:"}) {
      if (target.starts_with(scheme)) return target;
    }
    if (!target.starts_with("/") || target.starts_with("//")) return std::nullopt;
    const auto file = WebFileOf(target);
    const std::size_t suffix = std::min(target.find_first_of("?#"), target.size());
    return WebFileUrl(file ? std::string_view(*file) : std::string_view(target).substr(1, suffix - 1)) + target.substr(suffix);
  }

std::string ReportPageWriter::ImageJson(const std::string& path, const PageReading& reading, std::size_t map) const {
    const PageImage* image = ImageOfMap(reading, map);
    if (!image) return "null";
    std::string json = "{\"src\":";
    AppendJsonOrNull(json, image->src);
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
    } else if (const ImageFile found = LookAtImage(*file); !found.present) {
      problem = "the file " + *webFile + " is not in the web";
    } else {
      url = WebFileUrl(*webFile);
      natural = found.size;
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

ReportPageWriter::ImageFile ReportPageWriter::LookAtImage(const std::string& file) const {
  {
    const std::lock_guard lock(imagesMutex_);
    if (const auto known = images_.find(file); known != images_.end()) return known->second;
  }
  ImageFile image;
  std::error_code ec;
  image.present = fs::is_regular_file(PathOf(file), ec);
  if (image.present) image.size = ImageFileSize(file);
  const std::lock_guard lock(imagesMutex_);
  images_.emplace(file, image);
  return image;
}

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


}  // namespace audit
