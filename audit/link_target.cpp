#include "audit/link_target.h"

#include <algorithm>

#include "host/text.h"
#include "pages/percent_encoding.h"

namespace audit {
namespace {

bool IsAlpha(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

// The scheme's length, colon excluded, or 0 when the href has none.
std::size_t SchemeLength(std::string_view href) {
  if (href.empty() || !IsAlpha(href[0])) return 0;
  for (std::size_t i = 1; i < href.size(); ++i) {
    const char c = href[i];
    if (c == ':') return i;
    if (!IsAlpha(c) && !(c >= '0' && c <= '9') && c != '+' && c != '-' && c != '.') return 0;
  }
  return 0;
}

// Leading and trailing controls and spaces go, tabs and line breaks inside
// are dropped, as a URL parser does; into `out`, which each thread keeps, as
// every link of a web passes here.
void Clean(std::string& out, std::string_view href) {
  std::size_t begin = 0, end = href.size();
  while (begin < end && static_cast<unsigned char>(href[begin]) <= 0x20) ++begin;
  while (end > begin && static_cast<unsigned char>(href[end - 1]) <= 0x20) --end;
  out.clear();
  for (std::size_t i = begin; i < end; ++i) {
    if (href[i] != '\t' && href[i] != '\n' && href[i] != '\r') out += href[i];
  }
}

// `path` ("/a/./b/../c") onto `out` as "/a/c"; ".." never climbs above the
// root. Each link of a web passes here, so nothing but `out` is allocated.
void AppendNormalised(std::string& out, std::string_view path) {
  const std::size_t root = out.size();
  std::size_t at = 1;  // past the leading '/'
  bool endsInFolder = false;
  while (at <= path.size()) {
    const std::size_t slash = std::min(path.find('/', at), path.size());
    const std::string_view segment = path.substr(at, slash - at);
    const bool last = slash == path.size();
    if (segment == "..") {
      if (out.size() > root) out.resize(out.rfind('/'));
      endsInFolder = last;
    } else if (segment == ".") {
      endsInFolder = last;
    } else {
      out += '/';
      out += segment;
      endsInFolder = false;
    }
    at = slash + 1;
  }
  if (endsInFolder || out.size() == root) out += '/';
}

}  // namespace

std::string ResolveLink(std::string_view pagePath, std::string_view href) {
  std::string target;
  AppendResolvedLink(target, pagePath, href);
  return target;
}

void AppendResolvedLink(std::string& target, std::string_view pagePath, std::string_view rawHref) {
  thread_local std::string href, joined;
  Clean(href, rawHref);
  if (const std::size_t scheme = SchemeLength(href)) {
    for (std::size_t i = 0; i < scheme; ++i) href[i] = static_cast<char>(href[i] | 0x20);
    target += href;
    return;
  }
  const std::size_t pathEnd = std::min(href.find_first_of("?#"), href.size());
  // Pages of a web on Windows are often linked with backslashes, which a
  // browser reads as slashes in an http or file URL.
  for (std::size_t i = 0; i < pathEnd; ++i) {
    if (href[i] == '\\') href[i] = '/';
  }
  if (href.starts_with("//")) {
    target += href;
    return;
  }
  const std::string_view path = std::string_view(href).substr(0, pathEnd);
  const std::string_view suffix = std::string_view(href).substr(pathEnd);
  if (path.empty()) {
    target.append("/").append(pagePath);
  } else if (path.starts_with("/")) {
    AppendNormalised(target, path);
  } else {
    // The page's folder and the path, as one path from the root.
    joined.clear();
    joined += '/';
    joined.append(pagePath.substr(0, pagePath.rfind('/') + 1)).append(path);
    AppendNormalised(target, joined);
  }
  target.append(suffix);
}

std::string ResolveLink(std::string_view pagePath, std::u16string_view href) {
  std::string target;
  AppendResolvedLink(target, pagePath, href);
  return target;
}

void AppendResolvedLink(std::string& target, std::string_view pagePath, std::u16string_view href) {
  thread_local std::string utf8;
  utf8.clear();
  host::AppendUtf8(utf8, href);
  AppendResolvedLink(target, pagePath, utf8);
}

std::optional<std::string> WebFileOf(std::string_view target) {
  if (!target.starts_with("/") || target.starts_with("//")) return std::nullopt;
  const std::string_view path = target.substr(1, target.find_first_of("?#") - 1);
  if (path.empty() || path.ends_with("/")) return std::nullopt;
  return pages::PercentDecoded(path);
}

}  // namespace audit
