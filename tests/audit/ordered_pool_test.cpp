// Work on many threads taken in order: every result once and in order, no
// more results waiting than the bound however slow the taker, and a
// failure of one piece of work thrown in its turn.
#include "audit/ordered_pool.h"

#include <gtest/gtest.h>

#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <stdexcept>
#include <thread>
#include <vector>

namespace {

TEST(TakeInOrder, KeepsOrderBoundAndFailures) {
  for (const unsigned jobs : {1u, 3u, 8u}) {
    SCOPED_TRACE(jobs);
    std::atomic<std::size_t> started{0};
    std::vector<std::size_t> taken;
    audit::TakeInOrder<std::size_t>(
        500, jobs,
        [&](std::size_t i) {
          ++started;
          return i * i;
        },
        [&](std::size_t i, std::size_t result) {
          EXPECT_EQ(result, i * i);
          taken.push_back(i);
          if (i != 0 || jobs == 1) return;
          // While the first result is held, the others may run ahead only
          // as far as the bound.
          const std::size_t bound = 1 + audit::kWaitingPerThread * jobs;
          while (started < bound) std::this_thread::yield();
          std::this_thread::sleep_for(std::chrono::milliseconds(50));
          EXPECT_EQ(started, bound);
        });
    EXPECT_EQ(taken.size(), 500u);
    EXPECT_TRUE(std::is_sorted(taken.begin(), taken.end()));

    taken.clear();
    EXPECT_THROW(audit::TakeInOrder<int>(
                     100, jobs,
                     [](std::size_t i) {
                       if (i == 40) throw std::runtime_error("page 40");
                       return 0;
                     },
                     [&](std::size_t i, int) { taken.push_back(i); }),
                 std::runtime_error);
    EXPECT_EQ(taken.size(), 40u);
  }
}

// Where the system starts only a few of the threads asked for (its address
// space too small for their stacks), the work goes on on those.
TEST(TakeInOrder, GoesOnWithTheThreadsThatCouldBeStarted) {
  long pages = 0;
  std::ifstream("/proc/self/statm") >> pages;
  const rlim_t room = static_cast<rlim_t>(pages * sysconf(_SC_PAGESIZE)) + (64 << 20);
  const auto shortOfRoom = [&] {
    const rlimit limit{room, room};
    std::size_t next = 0;
    setrlimit(RLIMIT_AS, &limit);
    audit::TakeInOrder<std::size_t>(5000, 1000, [](std::size_t i) { return i; },
                                    [&](std::size_t i, std::size_t r) { next += i == next && r == i; });
    std::exit(next == 5000 ? 0 : 1);
  };
  EXPECT_EXIT(shortOfRoom(), testing::ExitedWithCode(0), "");
}

}  // namespace
