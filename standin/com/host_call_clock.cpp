#include "standin/com/host_call_clock.h"

#include <chrono>

namespace standin::com {
namespace {

using Clock = std::chrono::steady_clock;

// The host's user-interface thread is the only one that calls its faces.
bool running = false;
int depth = 0;  // face methods under way, outermost first
Clock::time_point since;
Clock::duration total{};

void Pause() { total += Clock::now() - since; }

}  // namespace

void HostCallClock::Start() {
  running = true;
  depth = 0;
  total = {};
}

void HostCallClock::Stop() { running = false; }

double HostCallClock::Millis() { return std::chrono::duration<double, std::milli>(total).count(); }

HostCallClock::InHost::InHost() noexcept {
  if (!running) return;
  if (depth++ == 0) since = Clock::now();
}

HostCallClock::InHost::~InHost() {
  if (!running || depth == 0) return;
  if (--depth == 0) Pause();
}

HostCallClock::InAddIn::InAddIn() noexcept : outerDepth_(depth) {
  if (!running || depth == 0) return;
  Pause();
  depth = 0;
}

HostCallClock::InAddIn::~InAddIn() {
  if (!running || outerDepth_ == 0) return;
  depth = outerDepth_;
  since = Clock::now();
}

}  // namespace standin::com
