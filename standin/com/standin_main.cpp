// standin.exe: the stand-in web-page editor as a real COM host.
//
//   standin.exe --web FOLDER [--open PAGE]... [--bars FILE] [--report FILE]
//
// It connects the add-ins registered for the host under HKEY_CURRENT_USER
// (load behaviour 3 at start, the others on demand), opens the web in FOLDER
// and the named pages of it, and runs until its window is closed. Its main
// menu bar is kept in the bars FILE from one run to the next. At quit it
// writes the report: what the add-ins still hold of it once every one of
// them is disconnected (the host's objects by kind, and the COM objects it
// handed out), each add-in DLL's answer to DllCanUnloadNow, the COM objects
// still alive after the DLLs were unloaded, the captions left on the main
// menu bar, and the failures that add-ins returned to it.
#include "standin/host.h"

#include <windows.h>
#include <ole2.h>
#include <shellapi.h>

#include <cstdio>
#include <fstream>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "host/com/module.h"
#include "standin/com/addin_registry.h"
#include "standin/com/bar_file.h"
#include "standin/com/com_addin.h"
#include "standin/com/main_window.h"
#include "standin/host.h"

namespace {

using standin::com::LoadedServers;

struct Options {
  std::string web;
  std::vector<std::string> pages;
  std::wstring report;
  std::string bars;
};

std::string Utf8(const wchar_t* text) { return host::ToUtf8(std::u16string(text, text + wcslen(text))); }

std::optional<Options> ParseOptions() {
  int count = 0;
  LPWSTR* args = CommandLineToArgvW(GetCommandLineW(), &count);
  if (!args) return std::nullopt;
  Options options;
  bool ok = true;
  for (int i = 1; i < count && ok; ++i) {
    const std::wstring arg = args[i];
    const bool hasValue = i + 1 < count;
    if (arg == L"--web" && hasValue) {
      options.web = Utf8(args[++i]);
    } else if (arg == L"--open" && hasValue) {
      options.pages.push_back(Utf8(args[++i]));
    } else if (arg == L"--bars" && hasValue) {
      options.bars = Utf8(args[++i]);
    } else if (arg == L"--report" && hasValue) {
      options.report = args[++i];
    } else {
      ok = false;
    }
  }
  LocalFree(args);
  if (!ok || options.web.empty()) return std::nullopt;
  return options;
}

std::string Hex(std::uint32_t value) {
  char text[16];
  std::snprintf(text, sizeof(text), "0x%08X", value);
  return text;
}

std::string Answer(HRESULT hr) {
  if (hr == S_OK) return "S_OK";
  if (hr == S_FALSE) return "S_FALSE";
  return Hex(static_cast<std::uint32_t>(hr));
}

// What the add-ins held of the host when the last of them was disconnected.
struct HeldAtQuit {
  long comObjects = 0;
  std::map<std::string, std::int64_t> byKind;
};

void WriteReport(const std::wstring& path, const std::string& menuBar, const HeldAtQuit& held, long liveAfterUnload,
                 const std::vector<LoadedServers::Answer>& servers, const std::vector<standin::HostFailure>& failures) {
  std::ofstream out(path.c_str(), std::ios::binary | std::ios::trunc);
  out << "menu-bar " << menuBar << "\r\n";
  out << "live-objects-at-quit " << held.comObjects << "\r\n";
  for (const auto& [kind, n] : held.byKind) out << "held-at-quit " << kind << " " << n << "\r\n";
  out << "live-objects " << liveAfterUnload << "\r\n";
  for (const auto& server : servers) {
    out << "server " << Utf8(server.path.c_str()) << " DllCanUnloadNow " << Answer(server.canUnloadNow)
        << (LoadedServers::Loaded(server.path) ? " still-loaded" : " unloaded") << "\r\n";
  }
  for (const auto& failure : failures) out << "failure " << failure.where << " " << Hex(failure.code) << "\r\n";
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR, int) {
  const auto options = ParseOptions();
  if (!options) {
    MessageBoxW(nullptr, L"Usage: standin.exe --web FOLDER [--open PAGE]... [--bars FILE] [--report FILE]", L"Stand-in FrontPage",
                MB_OK | MB_ICONERROR);
    return 2;
  }
  if (FAILED(OleInitialize(nullptr))) return 3;

  auto servers = std::make_shared<LoadedServers>();
  const auto bars = options->bars.empty() ? std::make_shared<standin::CommandBarStore>() : standin::com::LoadBars(options->bars);
  std::vector<standin::HostFailure> failures;
  HeldAtQuit held;
  int status = 0;
  {
    standin::Host host(bars);
    for (const auto& addIn : standin::com::ReadRegisteredAddIns()) {
      const host::Text progId(addIn.progId.begin(), addIn.progId.end());
      host.RegisterAddIn(progId, host::Text(addIn.friendlyName.begin(), addIn.friendlyName.end()),
                         host::Text(addIn.description.begin(), addIn.description.end()),
                         static_cast<std::int32_t>(addIn.loadBehavior),
                         standin::com::ComAddInFactory(addIn.progId, servers));
    }
    standin::html::WebFolder web(options->web, u"http://localhost/web");
    host.OpenWeb(web.baseUrl());
    host.Start();

    standin::com::MainWindow window(host, web);
    if (!window.Create(instance)) {
      status = 4;
      host.Quit();
    } else {
      for (const auto& page : options->pages) {
        try {
          window.OpenPage(web.UrlOf(page));
        } catch (const std::exception&) {
          failures.push_back({"open " + page, 0x800A0035});
        }
      }
      MSG message;
      while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
      }
    }
    if (host.Running()) host.Quit();
    failures.insert(failures.begin(), host.Failures().begin(), host.Failures().end());
  }
  if (!options->bars.empty() && !standin::com::SaveBars(*bars, options->bars))
    failures.push_back({"save bars " + options->bars, 0x800A004B});
  // The host is gone and every add-in disconnected, but their DLLs are still
  // loaded: whatever is alive now, they hold.
  held.comObjects = host::com::Module::Instance().objects();
  held.byKind = standin::LiveObjectsByKind();
  const auto answers = servers->AskCanUnloadNow();
  // Unloads the add-in DLLs: what they kept for as long as they stayed
  // loaded goes now, and with it their last references to our objects.
  OleUninitialize();
  const long liveAfterUnload = host::com::Module::Instance().objects();
  if (!options->report.empty()) WriteReport(options->report, standin::com::MenuBarCaptions(*bars), held, liveAfterUnload, answers, failures);
  return status;
}
