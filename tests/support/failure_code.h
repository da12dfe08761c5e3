#pragma once
// The code of the failure a call throws; 0 when it succeeds.
#include <cstdint>
#include <functional>

#include "host/error.h"

namespace test_support {

inline std::uint32_t FailureCodeOf(const std::function<void()>& call) {
  try {
    call();
  } catch (const host::Error& e) {
    return e.code();
  }
  return 0;
}

}  // namespace test_support
