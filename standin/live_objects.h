#pragma once
// Every object the stand-in hands out counts itself while it lives, under the
// name of its kind, so that a test can tell that nothing was leaked and what:
// LiveObjects() is back to where it was once every reference to the host's
// objects is gone, and LiveObjectsByKind() names what is still held.
#include <cstdint>
#include <map>
#include <string>

namespace standin {

class Counted {
 protected:
  // `kind` is the object model's name for the object ("Application", "PageWindow", ...).
  explicit Counted(const char* kind);
  Counted(const Counted& other);
  ~Counted();

 private:
  const char* kind_;
};

std::int64_t LiveObjects();
// The kinds with objects alive, and how many of each.
std::map<std::string, std::int64_t> LiveObjectsByKind();
// "Application x1, PageWindow x1"; "none" when nothing lives.
std::string Describe(const std::map<std::string, std::int64_t>& live);

}  // namespace standin
