#pragma once
// Every object the stand-in hands out counts itself while it lives, so that a
// test can tell that nothing was leaked: LiveObjects() is back to where it was
// once the host and every reference to its objects are gone.
#include <cstdint>

namespace standin {

class Counted {
 protected:
  Counted() noexcept;
  Counted(const Counted&) noexcept;
  ~Counted();
};

std::int64_t LiveObjects();

}  // namespace standin
