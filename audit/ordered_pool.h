#pragma once
// Work spread over threads, its results taken in order: the pages of a web
// are read and checked on every core and printed as one thread would.
#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <exception>
#include <mutex>
#include <optional>
#include <system_error>
#include <thread>
#include <vector>

namespace audit {

// How many results per thread may wait to be taken.
inline constexpr std::size_t kWaitingPerThread = 8;

// Runs work(i) for every i below `count` on `jobs` threads (fewer where the
// system starts fewer), the calling one among them, and hands each result to take(i, result) on the calling thread
// in the order of i, as soon as it and every one before it are done. The
// calling thread works too while the result it takes next is not done, so
// that no thread waits on a busy core. At most a few results per thread
// wait to be taken, so memory stays bounded however far the first lags. An
// exception of work(i) is thrown from here in its turn, after the threads
// have stopped.
template <typename Result, typename Work, typename Take>
void TakeInOrder(std::size_t count, unsigned jobs, Work work, Take take) {
  if (count < jobs) jobs = static_cast<unsigned>(count);  // no thread without work
  if (jobs <= 1) {
    for (std::size_t i = 0; i < count; ++i) take(i, work(i));
    return;
  }
  struct Slot {
    std::optional<Result> result;
    std::exception_ptr error;
    bool done = false;
  };
  const std::size_t window = kWaitingPerThread * jobs;
  std::vector<Slot> slots(window);  // the result of i waits in slots[i % window]
  // Each side wakes the other only when it waits for just this: the taker
  // for the result it takes next, a worker for room in the window.
  std::mutex mutex;
  std::condition_variable ready, room;
  std::atomic<std::size_t> taken{0};  // changed under the mutex
  std::size_t waitingForRoom = 0;     // under the mutex
  std::atomic<bool> stop{false};      // set under the mutex
  std::atomic<std::size_t> next{0};

  const auto run = [&](std::size_t i) {
    Slot slot;
    try {
      slot.result.emplace(work(i));
    } catch (...) {
      slot.error = std::current_exception();
    }
    slot.done = true;
    bool awaited;
    {
      const std::lock_guard lock(mutex);
      slots[i % window] = std::move(slot);
      awaited = i == taken;
    }
    if (awaited) ready.notify_one();
  };
  const auto worker = [&] {
    for (std::size_t i; !stop && (i = next.fetch_add(1)) < count;) {
      if (i >= taken + window) {
        std::unique_lock lock(mutex);
        ++waitingForRoom;
        room.wait(lock, [&] { return i < taken + window || stop; });
        --waitingForRoom;
        if (stop) return;
      }
      run(i);
    }
  };
  // The next piece of work for the taker, which cannot wait for room as
  // it makes the room: one inside the window, or none.
  const auto claimInWindow = [&]() -> std::optional<std::size_t> {
    std::size_t i = next;
    while (i < count && i < taken + window) {
      if (next.compare_exchange_weak(i, i + 1)) return i;
    }
    return std::nullopt;
  };
  std::vector<std::thread> threads;
  const auto stopAll = [&] {
    {
      const std::lock_guard lock(mutex);
      stop = true;
    }
    room.notify_all();
    for (std::thread& thread : threads) thread.join();
  };
  try {
    // As many as the system starts: the calling thread works in any case.
    for (unsigned j = 1; j < jobs; ++j) {
      try {
        threads.emplace_back(worker);
      } catch (const std::system_error&) {
        break;
      }
    }
    for (std::size_t i = 0; i < count; ++i) {
      Slot slot;
      bool wake;
      {
        std::unique_lock lock(mutex);
        while (!slots[i % window].done) {
          lock.unlock();
          const auto mine = claimInWindow();
          if (mine) run(*mine);
          lock.lock();
          if (!mine) ready.wait(lock, [&] { return slots[i % window].done; });
        }
        slot = std::move(slots[i % window]);
        slots[i % window] = Slot();
        taken = i + 1;
        wake = waitingForRoom > 0;
      }
      if (wake) room.notify_all();
      if (slot.error) std::rethrow_exception(slot.error);
      take(i, std::move(*slot.result));
    }
  } catch (...) {
    stopAll();
    throw;
  }
  stopAll();
}

}  // namespace audit
