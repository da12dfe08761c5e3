// The add-ins as the host really loads them: the stand-in host with its COM
// faces in this process, mapnote.dll and zarvik.dll registered and created
// by ProgID. Times the menu add-in's connection with 25 registry entries and
// an editing session's start and OK over a page of 32,767 areas, end to end,
// counts the host calls they make, splits their time into the host's (inside
// its faces) and the add-ins' own, and prints the figures as one JSON object.
//
//   wine_bench.exe MAPNOTE.DLL ZARVIK.DLL
#include "standin/host.h"

#include <windows.h>
#include <ole2.h>

#include <chrono>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "standin/com/com_addin.h"
#include "standin/com/host_call_clock.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kAreas = 32767;
constexpr int kConnections = 20;
const host::Text kPage = u"http://localhost/web/map.htm";

double Millis(Clock::time_point from, Clock::time_point to) {
  return std::chrono::duration<double, std::milli>(to - from).count();
}

long long HostCalls(standin::Host& host) {
  long long calls = 0;
  for (const auto operation : standin::FaultInjector::Operations()) calls += host.Faults().Calls(operation);
  return calls;
}

int Fail(const char* what, standin::Host* host = nullptr) {
  std::fprintf(stderr, "wine_bench: %s\n", what);
  if (host) {
    for (const auto& failure : host->Failures()) std::fprintf(stderr, "  %s failed: 0x%08X\n", failure.where.c_str(), failure.code);
  }
  return 1;
}

bool Register(const wchar_t* dll) {
  HMODULE module = LoadLibraryW(dll);
  if (!module) return false;
  using Entry = HRESULT(STDAPICALLTYPE*)();
  auto registerServer = reinterpret_cast<Entry>(reinterpret_cast<void*>(GetProcAddress(module, "DllRegisterServer")));
  return registerServer && SUCCEEDED(registerServer());
}

bool WriteMenuEntries() {
  HKEY key = nullptr;
  if (RegCreateKeyA(HKEY_CURRENT_USER, "SOFTWARE\\Zarvik\\Add-ins", &key) != ERROR_SUCCESS) return false;
  bool ok = true;
  for (int i = 1; i <= 25; ++i) {
    const std::string n = std::to_string(i);
    const std::string entry = i == 1 ? "Mapnote,Tessaly..." : "Tool" + n + ",Tool " + n + "...";
    ok = ok && RegSetValueExA(key, n.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(entry.c_str()),
                              static_cast<DWORD>(entry.size() + 1)) == ERROR_SUCCESS;
  }
  RegCloseKey(key);
  return ok;
}

// An add-in whose disconnection is timed: OK ends by disconnecting mapnote.
class TimedDisconnection final : public host::IDTExtensibility2 {
 public:
  TimedDisconnection(std::shared_ptr<host::IDTExtensibility2> inner, double& millis)
      : inner_(std::move(inner)), millis_(millis) {}
  void OnConnection(const host::Ref<host::Object>& application, host::ext_ConnectMode mode,
                    const host::Ref<host::Object>& addInInst, host::Custom& custom) override {
    inner_->OnConnection(application, mode, addInInst, custom);
  }
  void OnDisconnection(host::ext_DisconnectMode mode, host::Custom& custom) override {
    entered = Clock::now();
    inner_->OnDisconnection(mode, custom);
    millis_ += Millis(entered, Clock::now());
  }
  void OnAddInsUpdate(host::Custom& custom) override { inner_->OnAddInsUpdate(custom); }
  void OnStartupComplete(host::Custom& custom) override { inner_->OnStartupComplete(custom); }
  void OnBeginShutdown(host::Custom& custom) override { inner_->OnBeginShutdown(custom); }
  static inline Clock::time_point entered;

 private:
  std::shared_ptr<host::IDTExtensibility2> inner_;
  double& millis_;
};

double mapnoteDisconnectMillis = 0;
double zarvikCreateMillis = 0;  // COM's part of a connection: CLSIDFromProgID, CoCreateInstance, QueryInterface

void RegisterAddIns(standin::Host& host, const std::shared_ptr<standin::com::LoadedServers>& servers) {
  host.RegisterAddIn(u"zarvik.Connect", u"Zarvik Support", u"Support", 3,
                     [create = standin::com::ComAddInFactory(L"zarvik.Connect", servers)] {
                       const auto t0 = Clock::now();
                       auto addIn = create();
                       zarvikCreateMillis = Millis(t0, Clock::now());
                       return addIn;
                     });
  host.RegisterAddIn(u"Mapnote.Connect", u"Zarvik Tessaly", u"Tessaly", 9,
                     [create = standin::com::ComAddInFactory(L"Mapnote.Connect", servers)] {
                       return std::make_shared<TimedDisconnection>(create(), mapnoteDisconnectMillis);
                     });
}

struct ButtonSearch {
  const wchar_t* caption;
  HWND found;
};

// A window-enumeration callback: stdcall, as the 32-bit build needs.
BOOL CALLBACK MatchButton(HWND child, LPARAM param) {
  auto& search = *reinterpret_cast<ButtonSearch*>(param);
  wchar_t text[64] = {};
  GetWindowTextW(child, text, 64);
  if (wcscmp(text, search.caption) != 0) return TRUE;
  search.found = child;
  return FALSE;
}

HWND FindButton(HWND dialog, const wchar_t* caption) {
  ButtonSearch search{caption, nullptr};
  EnumChildWindows(dialog, MatchButton, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

// A page in memory that notes when OK's phases happen: the reading of the
// links, the writing of the texts, and the save.
class TimedPage final : public standin::PageContent {
 public:
  explicit TimedPage(const std::vector<standin::Area>& areas) : inner_(areas) {}

  std::size_t AreaCount() const override { return inner_.AreaCount(); }
  std::optional<host::Text> GetAttribute(std::size_t area, const host::Text& name) const override {
    Note(read);
    return inner_.GetAttribute(area, name);
  }
  void SetAttribute(std::size_t area, const host::Text& name, const host::Text& value) override {
    Note(written);
    inner_.SetAttribute(area, name, value);
  }
  bool RemoveAttribute(std::size_t area, const host::Text& name) override {
    Note(written);
    return inner_.RemoveAttribute(area, name);
  }
  void ReplaceAreas(const std::vector<standin::Area>& areas) override { inner_.ReplaceAreas(areas); }
  void Save(const host::Text& url) override {
    Note(saved);
    inner_.Save(url);
  }

  struct Span {
    Clock::time_point first, last;
    bool seen = false;
  };
  void Reset() { read = written = saved = Span{}; }
  mutable Span read, written, saved;

 private:
  static void Note(Span& span) {
    span.last = Clock::now();
    if (!span.seen) span.first = span.last;
    span.seen = true;
  }
  standin::MemoryPageContent inner_;
};

void PumpMessages() {
  MSG message;
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
}

// What hiding a shown top-level window costs here by itself, the dialog's
// own last step in OK: without a window manager, and Wine told so, nothing
// waits for one.
double HideWindowMillis() {
  HWND window = CreateWindowExW(WS_EX_TOPMOST, L"STATIC", L"probe", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, nullptr,
                                nullptr, GetModuleHandleW(nullptr), nullptr);
  if (!window) return -1;
  ShowWindow(window, SW_SHOW);
  PumpMessages();
  const auto t0 = Clock::now();
  ShowWindow(window, SW_HIDE);
  const auto t1 = Clock::now();
  DestroyWindow(window);
  return Millis(t0, t1);
}

// What the menu build's own registry reads cost here: for each of the 25
// values the key opened, the value's size and its text queried, the key
// closed, as the reader does.
double RegistryReadsMillis() {
  const auto t0 = Clock::now();
  for (int i = 1; i <= 25; ++i) {
    const std::string name = std::to_string(i);
    HKEY key = nullptr;
    if (RegOpenKeyA(HKEY_CURRENT_USER, "SOFTWARE\\Zarvik\\Add-ins", &key) != ERROR_SUCCESS) return -1;
    DWORD type = 0, size = 0;
    RegQueryValueExA(key, name.c_str(), nullptr, &type, nullptr, &size);
    std::string buffer(size, ' ');
    RegQueryValueExA(key, name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(buffer.data()), &size);
    RegCloseKey(key);
  }
  return Millis(t0, Clock::now());
}

// One editing session over kAreas areas: the click that starts it, and OK.
struct Session {
  double startMs = 0, okMs = 0;
  long long startCalls = 0, okCalls = 0;
  double checkMs = 0, writeMs = 0, saveOnMs = 0, disconnectMs = 0, untilDisconnectMs = 0;
  double startHostMs = 0, okHostMs = 0;  // with the host-call clock on
};

std::optional<Session> RunSession(const std::shared_ptr<standin::com::LoadedServers>& servers, bool clockHostCalls) {
  using standin::com::HostCallClock;
  standin::Host host;
  RegisterAddIns(host, servers);
  host.Start();
  host.OpenWeb();
  std::vector<standin::Area> areas;
  for (int i = 0; i < kAreas; ++i) {
    host::Text href = host::Decimal(i);
    href.append(u".htm");  // appended: GCC 12 misreports a chain of + here
    areas.push_back({href, std::nullopt});
  }
  auto page = std::make_shared<TimedPage>(areas);
  host.OpenPage(kPage, page);

  Session session;
  long long calls = HostCalls(host);
  if (clockHostCalls) HostCallClock::Start();
  const auto t0 = Clock::now();
  host.Click({u"Zarvik", u"Tessaly..."});
  const auto t1 = Clock::now();
  session.startHostMs = HostCallClock::Millis();
  session.startCalls = HostCalls(host) - calls;
  if (!host.Failures().empty()) {
    Fail("the session did not start", &host);
    return std::nullopt;
  }

  HWND dialog = FindWindowW(nullptr, L"Image Map ALT Text");
  HWND ok = dialog ? FindButton(dialog, L"OK") : nullptr;
  if (!ok) {
    Fail("no dialog with an OK button");
    return std::nullopt;
  }
  PumpMessages();
  calls = HostCalls(host);
  page->Reset();
  mapnoteDisconnectMillis = 0;
  if (clockHostCalls) HostCallClock::Start();
  const auto t2 = Clock::now();
  SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(ok), BN_CLICKED), reinterpret_cast<LPARAM>(ok));
  const auto t3 = Clock::now();
  HostCallClock::Stop();
  session.okHostMs = HostCallClock::Millis();
  session.okCalls = HostCalls(host) - calls;
  PumpMessages();
  if (host.SaveCount(kPage) != 1 || !host.Failures().empty()) {
    Fail("OK did not write and save the page", &host);
    return std::nullopt;
  }
  host.Quit();
  session.startMs = Millis(t0, t1);
  session.okMs = Millis(t2, t3);
  session.checkMs = Millis(t2, page->read.last);
  session.writeMs = Millis(page->written.first, page->written.last);
  session.saveOnMs = Millis(page->saved.first, t3);
  session.disconnectMs = mapnoteDisconnectMillis;
  session.untilDisconnectMs = Millis(t2, TimedDisconnection::entered);
  return session;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  using standin::com::HostCallClock;
  if (argc != 3) return Fail("usage: wine_bench.exe MAPNOTE.DLL ZARVIK.DLL");
  if (FAILED(OleInitialize(nullptr))) return Fail("OleInitialize failed");
  if (!Register(argv[1]) || !Register(argv[2])) return Fail("registration failed");
  if (!WriteMenuEntries()) return Fail("cannot write the menu entries");
  auto servers = std::make_shared<standin::com::LoadedServers>();

  // The first connection loads zarvik.dll; the later ones find it loaded.
  double firstConnect = 0, connectTotal = 0, createTotal = 0, hostTotal = 0;
  long long connectCalls = 0;
  for (int i = 0; i <= kConnections; ++i) {
    standin::Host host;
    RegisterAddIns(host, servers);
    HostCallClock::Start();
    const auto t0 = Clock::now();
    host.Start();
    const auto t1 = Clock::now();
    HostCallClock::Stop();
    if (!host.Failures().empty() || !host.HasMenuItem({u"Zarvik"}) || host.MenuCaptions({u"Zarvik"}).size() != 25) {
      return Fail("menu not built", &host);
    }
    connectCalls = HostCalls(host);
    if (i == 0) {
      firstConnect = Millis(t0, t1);
    } else {
      connectTotal += Millis(t0, t1);
      createTotal += zarvikCreateMillis;
      hostTotal += HostCallClock::Millis();
    }
    host.Quit();
  }

  // End to end with nothing added; then again with the host's calls timed.
  const auto session = RunSession(servers, false);
  const auto clocked = session ? RunSession(servers, true) : std::nullopt;
  if (!session || !clocked) return 1;

  std::printf(
      "{\"areas\": %d, \"zarvik_first_connect_ms\": %.3f, \"zarvik_connect_ms\": %.3f, \"zarvik_connect_calls\": %lld, "
      "\"zarvik_create_ms\": %.3f, \"zarvik_host_calls_ms\": %.3f, "
      "\"start_ms\": %.3f, \"ok_ms\": %.3f, \"start_calls_per_area\": %.3f, \"ok_calls_per_area\": %.3f, "
      "\"start_host_ms\": %.3f, \"ok_host_ms\": %.3f, \"clocked_start_ms\": %.3f, \"clocked_ok_ms\": %.3f, "
      "\"ok_check_ms\": %.3f, \"ok_write_ms\": %.3f, \"ok_save_on_ms\": %.3f, \"ok_disconnect_ms\": %.3f, "
      "\"ok_until_disconnect_ms\": %.3f, \"hide_window_ms\": %.3f, \"registry_reads_ms\": %.3f}\n",
      kAreas, firstConnect, connectTotal / kConnections, connectCalls, createTotal / kConnections,
      hostTotal / kConnections, session->startMs, session->okMs,
      static_cast<double>(session->startCalls) / kAreas, static_cast<double>(session->okCalls) / kAreas,
      clocked->startHostMs, clocked->okHostMs, clocked->startMs, clocked->okMs, session->checkMs, session->writeMs,
      session->saveOnMs, session->disconnectMs, session->untilDisconnectMs, HideWindowMillis(), RegistryReadsMillis());
  OleUninitialize();
  return 0;
}
