#include "pages/tag_names.h"

#include <random>

namespace pages {
namespace {

// FNV-1a, as names are short, from a start of this run's own so that a
// page cannot be made of names that all fall in one place.
std::size_t Hash(std::string_view name) {
  static const std::uint32_t start = 2166136261u ^ std::random_device()();
  std::uint32_t hash = start;
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
