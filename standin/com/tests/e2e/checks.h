#pragma once
// A driver's checks, one printed line each ("ok: ..." or "FAILED: ..."),
// counted for its exit code.
#include <cstdio>
#include <string>

namespace e2e {

class Checks {
 public:
  void operator()(bool ok, const std::string& what) {
    std::printf("%s: %s\n", ok ? "ok" : "FAILED", what.c_str());
    ++run_;
    if (!ok) ++failed_;
  }
  int run() const { return run_; }
  int failed() const { return failed_; }

 private:
  int run_ = 0, failed_ = 0;
};

}  // namespace e2e
