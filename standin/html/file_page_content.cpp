#include "standin/html/file_page_content.h"

namespace standin::html {

FilePageContent::FilePageContent(WebFolder web, std::string path) : web_(std::move(web)), page_(std::move(path)) {}

std::optional<host::Text> FilePageContent::GetAttribute(std::size_t area, const host::Text& name) const {
  return page_.GetAttribute(area, name);
}

void FilePageContent::SetAttribute(std::size_t area, const host::Text& name, const host::Text& value) {
  page_.SetAttribute(area, name, value);
}

bool FilePageContent::RemoveAttribute(std::size_t area, const host::Text& name) {
  return page_.RemoveAttribute(area, name);
}

void FilePageContent::ReplaceAreas(const std::vector<Area>& areas) {
  while (page_.AreaCount() > areas.size()) page_.RemoveArea(page_.AreaCount() - 1);
  while (page_.AreaCount() < areas.size()) page_.AppendArea();
  for (std::size_t i = 0; i < areas.size(); ++i) {
    for (const auto& [name, value] : {std::pair{u"href", &areas[i].href}, std::pair{u"alt", &areas[i].alt}}) {
      if (*value) {
        if (page_.GetAttribute(i, name) != **value) page_.SetAttribute(i, name, **value);
      } else {
        page_.RemoveAttribute(i, name);
      }
    }
  }
}

void FilePageContent::Save(const host::Text& url) {
  const std::string path = web_.PathOf(url);
  if (path == page_.path()) {
    page_.Save();
  } else {
    page_.SaveAs(path);
  }
}

}  // namespace standin::html
