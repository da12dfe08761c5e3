#include "pages/tag_names.h"

namespace pages {
namespace {

std::size_t Hash(std::string_view name) {  // FNV-1a: names are short
  std::uint32_t hash = 2166136261u;
  for (const char c : name) hash = (hash ^ static_cast<unsigned char>(c)) * 16777619u;
  return hash;
}

}  // namespace

std::size_t TagNameNumbers::NumberOf(std::string_view name) {
  if (2 * (names_.size() + 1) > slots_.size()) Grow();
  const std::size_t mask = slots_.size() - 1;
  for (std::size_t at = Hash(name) & mask;; at = (at + 1) & mask) {
    const std::uint32_t slot = slots_[at];
    if (slot == 0) {
      names_.emplace_back(name);
      slots_[at] = static_cast<std::uint32_t>(names_.size());
      return names_.size() - 1;
    }
    if (SameName(names_[slot - 1], name)) return slot - 1;
  }
}

void TagNameNumbers::Grow() {
  slots_.assign(slots_.empty() ? 64 : slots_.size() * 2, 0);
  const std::size_t mask = slots_.size() - 1;
  for (std::size_t number = 0; number < names_.size(); ++number) {
    std::size_t at = Hash(names_[number]) & mask;
    while (slots_[at] != 0) at = (at + 1) & mask;
    slots_[at] = static_cast<std::uint32_t>(number + 1);
  }
}

}  // namespace pages
