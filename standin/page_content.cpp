#include "standin/page_content.h"

#include <algorithm>

#include "host/error.h"
#include "standin/faults.h"
#include "standin/names.h"

namespace standin {
MemoryPageContent::Attributes& MemoryPageContent::At(std::size_t area) {
  if (area >= areas_.size()) throw host::Error(kHostFailure, u"no such area");
  return areas_[area];
}

const MemoryPageContent::Attributes& MemoryPageContent::At(std::size_t area) const {
  if (area >= areas_.size()) throw host::Error(kHostFailure, u"no such area");
  return areas_[area];
}

std::optional<host::Text> MemoryPageContent::GetAttribute(std::size_t area, const host::Text& name) const {
  for (const auto& [key, value] : At(area)) {
    if (SameName(key, name)) return value;
  }
  return std::nullopt;
}

void MemoryPageContent::SetAttribute(std::size_t area, const host::Text& name, const host::Text& value) {
  auto& attributes = At(area);
  for (auto& [key, old] : attributes) {
    if (SameName(key, name)) {
      old = value;
      return;
    }
  }
  attributes.emplace_back(name, value);
}

bool MemoryPageContent::RemoveAttribute(std::size_t area, const host::Text& name) {
  return std::erase_if(At(area), [&](const auto& attribute) { return SameName(attribute.first, name); }) != 0;
}

void MemoryPageContent::ReplaceAreas(const std::vector<Area>& areas) {
  areas_.clear();
  for (const auto& area : areas) {
    Attributes attributes;
    if (area.href) attributes.emplace_back(u"href", *area.href);
    if (area.alt) attributes.emplace_back(u"alt", *area.alt);
    areas_.push_back(std::move(attributes));
  }
}

std::vector<Area> ReadAreas(const PageContent& content) {
  std::vector<Area> areas;
  for (std::size_t i = 0; i < content.AreaCount(); ++i)
    areas.push_back({content.GetAttribute(i, u"href"), content.GetAttribute(i, u"alt")});
  return areas;
}

}  // namespace standin
