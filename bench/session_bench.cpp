// How the add-ins' costs grow with the page: an editing session's start and
// its OK (with save) over image maps of 1, 1,024 and 32,767 areas, and the
// menu add-in's connection with all 25 registry entries, in the stand-in
// host. Each result also counts the host calls made, per area.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "mapnote/connect.h"
#include "mapnote/library_context.h"
#include "standin/host.h"
#include "standin/registry.h"
#include "standin/windows1252.h"
#include "zarvik/connect.h"

namespace {

using host::Text;
using Clock = std::chrono::steady_clock;

const Text kPage = u"http://localhost/web/map.htm";

std::int64_t HostCalls(standin::Host& host) {
  std::int64_t calls = 0;
  for (const auto operation : standin::FaultInjector::Operations()) calls += host.Faults().Calls(operation);
  return calls;
}

double Seconds(Clock::time_point from, Clock::time_point to) { return std::chrono::duration<double>(to - from).count(); }

[[noreturn]] void Broken(const std::string& what) {
  std::cerr << "benchmark run broken: " << what << "\n";
  std::exit(1);
}

void AddEntries(standin::Registry& registry) {
  const char* key = "HKEY_CURRENT_USER\\SOFTWARE\\Zarvik\\Add-ins";
  registry.SetString(key, "1", "Mapnote,Tessaly...");
  for (int i = 2; i <= 25; ++i) {
    const std::string n = std::to_string(i);
    registry.SetString(key, n, "Tool" + n + ",Tool " + n + "...");
  }
}

// A host with both add-ins: the menu add-in connects at start, the image-map
// add-in on the click.
struct BothAddIns {
  BothAddIns() {
    AddEntries(registry);
    host.RegisterAddIn(u"zarvik.Connect", u"Zarvik Support", u"Support", 3,
                       [this] { return std::make_shared<zarvik::Connect>(zarvikLibrary); });
    host.RegisterAddIn(u"Mapnote.Connect", u"Zarvik Tessaly", u"Tessaly", 9,
                       [this] { return std::make_shared<mapnote::Connect>(mapnoteLibrary); });
  }
  ~BothAddIns() {
    if (host.Running()) host.Quit();
  }

  standin::Host host;
  standin::Registry registry;
  standin::Windows1252 codePage;
  zarvik::LibraryContext zarvikLibrary{host.Globals(), registry, codePage};
  mapnote::LibraryContext mapnoteLibrary{host.Globals(), host.Boxes(), host.Toolkit(), host.Windows()};
};

void StartAndOk(benchmark::State& state) {
  const auto areaCount = state.range(0);
  std::vector<standin::Area> areas;
  for (std::int64_t i = 0; i < areaCount; ++i) {
    Text href = host::Decimal(static_cast<std::int32_t>(i));
    href.append(u".htm");  // appended: GCC 12 misreports a chain of + here
    areas.push_back({href, std::nullopt});
  }
  double start = 0, ok = 0;
  std::int64_t startCalls = 0, okCalls = 0;
  for (auto _ : state) {
    BothAddIns run;
    run.host.Start();
    run.host.OpenWeb();
    run.host.OpenPage(kPage, areas);

    auto calls = HostCalls(run.host);
    const auto t0 = Clock::now();
    run.host.Click({u"Zarvik", u"Tessaly..."});
    const auto t1 = Clock::now();
    startCalls = HostCalls(run.host) - calls;

    auto form = run.host.Toolkit().FindForm(u"Image Map ALT Text");
    if (!form || !form->Visible()) Broken("no dialog");
    form->Type({"txtMapnote"}, u"written");
    calls = HostCalls(run.host);
    const auto t2 = Clock::now();
    form->Click({"cmdOK"});
    const auto t3 = Clock::now();
    okCalls = HostCalls(run.host) - calls;
    if (run.host.SaveCount(kPage) != 1 || !run.host.Failures().empty()) Broken("OK did not save");

    start += Seconds(t0, t1);
    ok += Seconds(t2, t3);
    state.SetIterationTime(Seconds(t0, t1) + Seconds(t2, t3));
  }
  const double n = static_cast<double>(state.iterations());
  state.counters["start_ms"] = start / n * 1e3;
  state.counters["ok_ms"] = ok / n * 1e3;
  state.counters["start_calls_per_area"] = static_cast<double>(startCalls) / static_cast<double>(areaCount);
  state.counters["ok_calls_per_area"] = static_cast<double>(okCalls) / static_cast<double>(areaCount);
}
BENCHMARK(StartAndOk)->Arg(1)->Arg(1024)->Arg(32767)->UseManualTime()->Unit(benchmark::kMillisecond);

void ZarvikConnection(benchmark::State& state) {
  std::int64_t calls = 0;
  for (auto _ : state) {
    BothAddIns run;
    const auto t0 = Clock::now();
    run.host.Start();
    const auto t1 = Clock::now();
    calls = HostCalls(run.host);
    if (!run.host.Failures().empty() || run.host.MenuCaptions({u"Zarvik"}).size() != 25) Broken("menu not built");
    state.SetIterationTime(Seconds(t0, t1));
  }
  state.counters["host_calls"] = static_cast<double>(calls);
}
BENCHMARK(ZarvikConnection)->UseManualTime()->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
