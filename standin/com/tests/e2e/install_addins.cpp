#include "standin/com/tests/e2e/install_addins.h"

#include <cstdio>

#include "standin/com/tests/e2e/checks.h"
#include "standin/com/tests/e2e/host_driver.h"

namespace e2e {
namespace {

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

}  // namespace

unsigned long RunAndWait(const std::wstring& commandLine) {
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

int InstallAddIns(const Installation& files) {
  Checks check;
  const std::wstring addIns = L"Software\\Microsoft\\Office\\FrontPage\\Addins";
  check(ReadString(HKEY_CURRENT_USER, L"SOFTWARE\\Zarvik\\Add-ins", L"1") == L"<none>", "a fresh prefix has no menu entry");
  for (const auto& dll : {files.mapnoteDll, files.zarvikDll})
    check(RunAndWait(L"regsvr32 /s \"" + WinePath(dll) + L"\"") == 0, "regsvr32 " + dll);
  check(RunAndWait(L"regedit /s \"" + WinePath(files.menuReg) + L"\"") == 0, "regedit imports the menu entry");
  check(ReadString(HKEY_CURRENT_USER, L"SOFTWARE\\Zarvik\\Add-ins", L"1") == L"Mapnote,Tessaly...",
        "the entry \"1\"=\"Mapnote,Tessaly...\"");
  check(ReadDword(HKEY_CURRENT_USER, (addIns + L"\\zarvik.Connect").c_str(), L"LoadBehavior") == 3,
        "zarvik.Connect loads at start-up");
  check(ReadDword(HKEY_CURRENT_USER, (addIns + L"\\Mapnote.Connect").c_str(), L"LoadBehavior") == 9,
        "Mapnote.Connect loads on demand");
  std::printf("%d passed, %d failed\n", check.run() - check.failed(), check.failed());
  return check.failed() == 0 ? 0 : 1;
}

}  // namespace e2e
