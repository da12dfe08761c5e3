#include "standin/html/web_folder.h"

#include <algorithm>
#include <filesystem>

#include "host/error.h"
#include "pages/page_file.h"
#include "pages/percent_encoding.h"
#include "pages/utf8_path.h"
#include "standin/html/file_page_content.h"

namespace standin::html {
namespace {

namespace fs = std::filesystem;

std::optional<std::string> PercentDecoded(const std::string& text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '%') {
      out += text[i];
      continue;
    }
    if (i + 2 >= text.size()) return std::nullopt;
    const int high = pages::HexDigitValue(text[i + 1]), low = pages::HexDigitValue(text[i + 2]);
    if (high < 0 || low < 0) return std::nullopt;
    if (high == 0 && low == 0) return std::nullopt;  // no file name holds NUL
    out += static_cast<char>(high * 16 + low);
    i += 2;
  }
  return out;
}

[[noreturn]] void NotInWeb(const host::Text& url, const char* why) {
  throw host::Error(pages::code::FileNotFound, u"No page \"" + url + u"\" in this web: " + host::FromUtf8(why));
}

bool IsPageFile(const fs::path& path) {
  const std::u8string u8 = path.extension().u8string();
  std::string extension(u8.begin(), u8.end());
  std::transform(extension.begin(), extension.end(), extension.begin(),
                 [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; });
  return extension == ".htm" || extension == ".html";
}


}  // namespace

WebFolder::WebFolder(std::string folder, host::Text baseUrl) : folder_(std::move(folder)), baseUrl_(std::move(baseUrl)) {}

host::Text WebFolder::UrlOf(const std::string& relativePath) const {
  return baseUrl_ + u"/" + host::FromUtf8(pages::PercentEncoded(relativePath));
}

std::string WebFolder::PathOf(const host::Text& url) const {
  if (url.size() <= baseUrl_.size() + 1 || url.compare(0, baseUrl_.size(), baseUrl_) != 0 ||
      url[baseUrl_.size()] != u'/') {
    NotInWeb(url, "it is not under the web's address");
  }
  const auto relative = PercentDecoded(host::ToUtf8(url.substr(baseUrl_.size() + 1)));
  if (!relative) NotInWeb(url, "it has a malformed escape");
  const auto file = pages::FileInFolder(folder_, *relative);
  if (!file) NotInWeb(url, "it leads out of the web's folder");
  return *file;
}

std::vector<host::Text> WebFolder::PageUrls() const {
  const fs::path root(std::u8string(folder_.begin(), folder_.end()));
  std::vector<std::string> relatives;
  std::error_code ec;
  for (fs::recursive_directory_iterator it(root, ec), end; !ec && it != end; it.increment(ec)) {
    if (it->is_regular_file(ec) && IsPageFile(it->path())) relatives.push_back(pages::Utf8Of(it->path().lexically_relative(root).generic_u8string()));
  }
  std::sort(relatives.begin(), relatives.end());
  std::vector<host::Text> urls;
  for (const auto& relative : relatives) urls.push_back(UrlOf(relative));
  return urls;
}

std::shared_ptr<FilePageContent> WebFolder::Open(const host::Text& url) const {
  return std::make_shared<FilePageContent>(*this, PathOf(url));
}

}  // namespace standin::html
