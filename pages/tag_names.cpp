#include "pages/tag_names.h"

#include <chrono>

namespace pages {
namespace {

// FNV-1a, as names are short, from a start of this run's own so that a
// page cannot be made of names that all fall in one place. The start comes
// from the clock: std::random_device may throw where there is no entropy.
std::uint32_t StartOfThisRun() {
  const auto now = static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count());
  return 2166136261u ^ static_cast<std::uint32_t>((now * 0x9E3779B97F4A7C15ull) >> 32);
}
const std::uint32_t kHashStart = StartOfThisRun();

inline std::size_t Hash(std::string_view name) {
  std::uint32_t hash = kHashStart;
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
