#pragma once
// Fault sweeps: a flow run again and again, each time with one call of one
// stand-in operation failing, until every call the flow makes has failed once.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "host/error.h"
#include "standin/faults.h"

namespace sweep {

// A code no stand-in operation throws by itself, so that finding it proves
// that this very failure was passed on.
inline constexpr std::uint32_t kInjected = 0x80047777;

// Runs step; a host::Error it lets out is kept, as the host would keep it.
inline void Attempt(std::vector<std::uint32_t>& thrown, const std::function<void()>& step) {
  try {
    step();
  } catch (const host::Error& e) {
    thrown.push_back(e.code());
  }
}

inline bool Contains(const std::vector<std::uint32_t>& codes, std::uint32_t code) {
  return std::find(codes.begin(), codes.end(), code) != codes.end();
}

// One run of the flow with the call-th call of operation failing. Returns
// false when the flow never made that many calls, which ends the sweep of
// that operation.
using Run = std::function<bool(std::string_view operation, int call)>;

// Sweeps every stand-in operation; returns the number of runs in which a
// failure was injected. Stops at the first run that failed the test: one
// broken run tells enough, and the rest would repeat it.
inline int SweepEveryCall(const std::string& flow, const Run& run) {
  int injected = 0;
  for (const auto operation : standin::FaultInjector::Operations()) {
    for (int call = 1;; ++call) {
      SCOPED_TRACE(flow + ": " + std::string(operation) + " call " + std::to_string(call));
      if (!run(operation, call)) break;
      ++injected;
      if (::testing::Test::HasFailure()) return injected;
    }
  }
  return injected;
}

}  // namespace sweep
