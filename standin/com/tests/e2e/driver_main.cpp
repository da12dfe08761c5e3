// The end-to-end driver. With --setup it installs the add-ins as a new user
// would, in the test prefix: regsvr32 for both DLLs, then regedit for the
// menu entry; otherwise it runs the test scenarios.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "standin/com/tests/e2e/e2e_session.h"

namespace e2e {

std::string Paths::Host() { return E2E_STANDIN_EXE; }
std::string Paths::SampleWeb() { return E2E_SAMPLE_WEB; }
std::string Paths::Work() { return E2E_WORK_DIR; }

namespace {

DWORD RunAndWait(const std::wstring& commandLine) {
  std::wstring line = commandLine;
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION process{};
  if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
    return static_cast<DWORD>(-1);
  WaitForSingleObject(process.hProcess, 120000);
  DWORD code = static_cast<DWORD>(-1);
  GetExitCodeProcess(process.hProcess, &code);
  CloseHandle(process.hProcess);
  CloseHandle(process.hThread);
  return code;
}

std::wstring ReadString(HKEY root, const wchar_t* key, const wchar_t* name) {
  wchar_t value[512] = {};
  DWORD size = sizeof(value) - sizeof(wchar_t);
  if (RegGetValueW(root, key, name, RRF_RT_REG_SZ, nullptr, value, &size) != ERROR_SUCCESS) return L"<none>";
  return value;
}

DWORD ReadDword(HKEY root, const wchar_t* key, const wchar_t* name) {
  DWORD value = 0, size = sizeof(value);
  if (RegGetValueW(root, key, name, RRF_RT_REG_DWORD, nullptr, &value, &size) != ERROR_SUCCESS) return 0xFFFFFFFF;
  return value;
}

int Setup() {
  int problems = 0;
  auto check = [&](bool ok, const char* what) {
    std::printf("%s: %s\n", ok ? "ok" : "FAILED", what);
    if (!ok) ++problems;
  };
  const wchar_t* addIns = L"Software\\Microsoft\\Office\\FrontPage\\Addins";
  check(ReadString(HKEY_CURRENT_USER, L"SOFTWARE\\Zarvik\\Add-ins", L"1") == L"<none>", "a fresh prefix has no menu entry");
  for (const char* dll : {E2E_MAPNOTE_DLL, E2E_ZARVIK_DLL}) {
    check(RunAndWait(L"regsvr32 /s \"" + WinePath(dll) + L"\"") == 0, dll);
  }
  check(RunAndWait(L"regedit /s \"" + WinePath(E2E_MENU_REG) + L"\"") == 0, "regedit imports the menu entry");
  check(ReadString(HKEY_CURRENT_USER, L"SOFTWARE\\Zarvik\\Add-ins", L"1") == L"Mapnote,Tessaly...",
        "the entry \"1\"=\"Mapnote,Tessaly...\"");
  check(ReadDword(HKEY_CURRENT_USER, (std::wstring(addIns) + L"\\zarvik.Connect").c_str(), L"LoadBehavior") == 3,
        "zarvik.Connect loads at start-up");
  check(ReadDword(HKEY_CURRENT_USER, (std::wstring(addIns) + L"\\Mapnote.Connect").c_str(), L"LoadBehavior") == 9,
        "Mapnote.Connect loads on demand");
  std::printf("%d passed, %d failed\n", 7 - problems, problems);
  return problems == 0 ? 0 : 1;
}

// Opens the dialog on the sample page and holds it open while the caller
// takes a picture of the screen: it creates `ready` and waits for `done`.
int HoldDialogOpen(const std::string& ready, const std::string& done) {
  const auto work = WinePath(Paths::Work());
  const auto web = work + L"\\screenshot";
  CreateDirectoryW(work.c_str(), nullptr);
  CreateDirectoryW(web.c_str(), nullptr);
  const auto page = web + L"\\town.htm";
  if (!CopyFileW((WinePath(Paths::SampleWeb()) + L"\\town.htm").c_str(), page.c_str(), FALSE)) return 2;
  HostProcess host;
  if (!host.Start(L"\"" + WinePath(Paths::Host()) + L"\" --web \"" + web + L"\" --open town.htm")) return 3;
  if (!host.ClickMenu({L"Zarvik", L"Tessaly..."})) return 4;
  auto dialog = AreaDialog::Find(host);
  if (!dialog || !WaitUntil([&] { return dialog->Visible(); })) return 5;
  dialog->PressEnter();
  if (!WaitUntil([&] { return dialog->Status() == L"Image Map Area 2 of 5"; })) return 6;
  dialog->TypeAltText(L"About us");
  if (!WaitUntil([&] { return dialog->AltText() == L"About us"; })) return 7;
  if (FILE* marker = _wfopen(WinePath(ready).c_str(), L"w")) std::fclose(marker);
  const bool pictured = WaitUntil([&] { return GetFileAttributesW(WinePath(done).c_str()) != INVALID_FILE_ATTRIBUTES; }, 60s);
  dialog->Click(L"Cancel");
  WaitUntil([&] { return !dialog->Visible(); });
  return host.Quit() && pictured ? 0 : 8;
}

}  // namespace
}  // namespace e2e

int main(int argc, char** argv) {
  if (argc == 2 && std::string(argv[1]) == "--setup") return e2e::Setup();
  if (argc == 4 && std::string(argv[1]) == "--hold-dialog") return e2e::HoldDialogOpen(argv[2], argv[3]);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
