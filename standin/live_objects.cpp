#include "standin/live_objects.h"

namespace standin {
namespace {
// One host runs at a time, on one thread, as on the real host.
std::map<std::string, std::int64_t>& Live() {
  static std::map<std::string, std::int64_t> live;
  return live;
}

void Add(const char* kind, std::int64_t n) {
  auto& live = Live();
  const auto found = live.try_emplace(kind, 0).first;
  if ((found->second += n) == 0) live.erase(found);
}
}  // namespace

Counted::Counted(const char* kind) : kind_(kind) { Add(kind_, 1); }
Counted::Counted(const Counted& other) : kind_(other.kind_) { Add(kind_, 1); }
Counted::~Counted() { Add(kind_, -1); }

std::int64_t LiveObjects() {
  std::int64_t total = 0;
  for (const auto& [kind, n] : Live()) total += n;
  return total;
}

std::map<std::string, std::int64_t> LiveObjectsByKind() { return Live(); }

std::string Describe(const std::map<std::string, std::int64_t>& live) {
  std::string text;
  for (const auto& [kind, n] : live) text += (text.empty() ? "" : ", ") + kind + " x" + std::to_string(n);
  return text.empty() ? "none" : text;
}

}  // namespace standin
