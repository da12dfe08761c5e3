#pragma once
// A web as the stand-in host opens it: a folder whose HTML files are the
// web's pages, each addressed by a URL under the web's base URL.
#include <memory>
#include <string>
#include <vector>

#include "host/text.h"

namespace standin::html {

class FilePageContent;

class WebFolder {
 public:
  // `folder` is a path (UTF-8); `baseUrl` has no trailing '/'.
  WebFolder(std::string folder, host::Text baseUrl);

  const std::string& folder() const { return folder_; }
  const host::Text& baseUrl() const { return baseUrl_; }

  // The URL of a file given by its path inside the folder ("maps/a.htm").
  host::Text UrlOf(const std::string& relativePath) const;
  // The file a URL of this web names. Throws host::Error for a URL outside
  // the web, or one that would climb out of the folder.
  std::string PathOf(const host::Text& url) const;
  // The URLs of the .htm and .html files, sorted.
  std::vector<host::Text> PageUrls() const;
  // Reads the page at `url` (host::Error when it cannot).
  std::shared_ptr<FilePageContent> Open(const host::Text& url) const;

 private:
  std::string folder_;
  host::Text baseUrl_;
};

}  // namespace standin::html
