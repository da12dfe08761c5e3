#pragma once
// A page of the stand-in host that lives in a file of a web folder.
#include <string>

#include "pages/page.h"
#include "standin/html/web_folder.h"
#include "standin/page_content.h"

namespace standin::html {

class FilePageContent final : public PageContent {
 public:
  // Reads the page at `path`, a file of `web`; host::Error when it cannot.
  FilePageContent(WebFolder web, std::string path);

  std::size_t AreaCount() const override { return page_.AreaCount(); }
  std::optional<host::Text> GetAttribute(std::size_t area, const host::Text& name) const override;
  void SetAttribute(std::size_t area, const host::Text& name, const host::Text& value) override;
  bool RemoveAttribute(std::size_t area, const host::Text& name) override;
  // Keeps the tags of the first areas, adds or drops tags for the rest, and
  // sets or removes each area's href and alt.
  void ReplaceAreas(const std::vector<Area>& areas) override;
  // Writes the file the URL names: the page's own, or a new one on save-as.
  void Save(const host::Text& url) override;

  const pages::Page& page() const { return page_; }

 private:
  WebFolder web_;
  pages::Page page_;
};

}  // namespace standin::html
