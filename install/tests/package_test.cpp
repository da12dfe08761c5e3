// The installer package under Wine, as a user meets it: msiexec installs
// both add-ins and the menu entry, the host loads them from there, and
// uninstalling, upgrading or a failed install leaves the registry and the
// disk as they were. ctest runs each suite in a fresh prefix of its own.
#include <windows.h>
#include <msi.h>
#include <objbase.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <optional>

#include "host/com/tests/registry_snapshot.h"
#include "standin/com/tests/e2e/e2e_session.h"
#include "standin/com/tests/e2e/install_addins.h"

namespace e2e {

std::string Paths::Host() { return PACKAGE_STANDIN_EXE; }
std::string Paths::SampleWeb() { return PACKAGE_SAMPLE_WEB; }
std::string Paths::Work() { return PACKAGE_WORK_DIR; }

namespace {

namespace snap = host::com::testing;

const wchar_t* const kUpgradeCode = L"{029CFB48-BD6D-4B67-A930-1622776C591C}";
const wchar_t* const kProductName = L"Zarvik Add-ins for FrontPage";
const wchar_t* const kMenuKey = L"SOFTWARE\\Zarvik\\Add-ins";
const wchar_t* const kAddInsKey = L"Software\\Microsoft\\Office\\FrontPage\\Addins";

struct Server {
  const wchar_t* file;
  const wchar_t* progId;
  const wchar_t* clsid;
  DWORD loadBehavior;
};
const Server kServers[] = {
    {L"mapnote.dll", L"Mapnote.Connect", L"{A7AF9A75-368A-4A77-9DA7-6DD65B4FA686}", 9},
    {L"zarvik.dll", L"zarvik.Connect", L"{C8F1769C-B9FE-4185-A11B-83F5EAC5FF37}", 3},
};

DWORD Msiexec(const std::wstring& action, const std::string& msi, const std::wstring& properties = L"") {
  return RunAndWait(L"msiexec " + action + L" \"" + WinePath(msi) + L"\" /qn" + properties);
}

std::wstring Folder(int csidl) {
  wchar_t path[MAX_PATH] = {};
  SHGetFolderPathW(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path);
  return path;
}
std::wstring InstallDir(int csidl = CSIDL_LOCAL_APPDATA) { return Folder(csidl) + L"\\Zarvik Add-ins"; }
bool Exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

std::optional<std::wstring> ReadString(HKEY root, const std::wstring& key, const wchar_t* name) {
  wchar_t value[1024] = {};
  DWORD size = sizeof(value) - sizeof(wchar_t);
  if (RegGetValueW(root, key.c_str(), name, RRF_RT_REG_SZ, nullptr, value, &size) != ERROR_SUCCESS) return std::nullopt;
  return std::wstring(value);
}

std::optional<DWORD> ReadDword(HKEY root, const std::wstring& key, const wchar_t* name) {
  DWORD value = 0, size = sizeof(value);
  if (RegGetValueW(root, key.c_str(), name, RRF_RT_REG_DWORD, nullptr, &value, &size) != ERROR_SUCCESS)
    return std::nullopt;
  return value;
}

// The menu value "1" as another package left it, or, without one, the
// user's keys as a new user has them: Wine's msiexec removes a key its
// removal left empty with its empty parents, even one that was there
// before it, empty.
void SetMenuEntry(const std::optional<std::wstring>& value) {
  if (!value) {
    RegDeleteKeyValueW(HKEY_CURRENT_USER, kMenuKey, L"1");
    RegDeleteKeyW(HKEY_CURRENT_USER, kMenuKey);
    RegDeleteKeyW(HKEY_CURRENT_USER, L"SOFTWARE\\Zarvik");
    return;
  }
  ASSERT_EQ(RegSetKeyValueW(HKEY_CURRENT_USER, kMenuKey, L"1", REG_SZ, value->c_str(),
                            static_cast<DWORD>((value->size() + 1) * sizeof(wchar_t))),
            ERROR_SUCCESS);
}

// The keys (not values) of the installer's own records, which Wine's
// msiexec creates on first use and leaves behind, empty.
bool WrittenByWine(const std::wstring& line) {
  for (const wchar_t* prefix : {L"HKCU\\SOFTWARE\\MICROSOFT\\INSTALLER", L"HKLM\\SOFTWARE\\CLASSES\\INSTALLER",
                                L"HKLM\\SOFTWARE\\MICROSOFT\\WINDOWS\\CURRENTVERSION\\INSTALLER"})
    if (line.rfind(prefix, 0) == 0 && line.find(L'|') == std::wstring::npos) return true;
  return false;
}

// HKCU and HKLM\Software, less what Wine leaves of its own.
snap::Snapshot RegistryNow() {
  snap::Snapshot all, kept;
  HKEY user = nullptr;
  std::vector<std::wstring> keys;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, nullptr, 0, KEY_READ, &user) == ERROR_SUCCESS) {
    wchar_t name[256];
    for (DWORD i = 0;; ++i) {
      DWORD length = ARRAYSIZE(name);
      if (RegEnumKeyExW(user, i, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
      keys.emplace_back(name, length);
    }
    RegCloseKey(user);
  }
  for (const auto& key : keys) snap::AddSubtree(all, HKEY_CURRENT_USER, L"HKCU", key);
  snap::AddSubtree(all, HKEY_LOCAL_MACHINE, L"HKLM", L"Software");
  for (const auto& line : all)
    if (!WrittenByWine(line)) kept.insert(line);
  return kept;
}

void ExpectSameRegistry(const snap::Snapshot& before) {
  const auto after = RegistryNow();
  EXPECT_TRUE(snap::Added(before, after).empty()) << "left behind:" << snap::Narrow(snap::Added(before, after));
  EXPECT_TRUE(snap::Added(after, before).empty()) << "removed or changed:" << snap::Narrow(snap::Added(after, before));
}

// The products installed from any version of this package.
std::vector<std::wstring> InstalledProducts() {
  std::vector<std::wstring> products;
  wchar_t code[39];
  for (DWORD i = 0; MsiEnumRelatedProductsW(kUpgradeCode, 0, i, code) == ERROR_SUCCESS; ++i) products.emplace_back(code);
  return products;
}

// Add/Remove Programs' entries of the package, the machine's and the user's.
int ProgramEntries() {
  int entries = 0;
  for (HKEY hive : {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER}) {
    const std::wstring uninstall = L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
    HKEY key = nullptr;
    if (RegOpenKeyExW(hive, uninstall.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) continue;
    wchar_t name[256];
    for (DWORD i = 0;; ++i) {
      DWORD length = ARRAYSIZE(name);
      if (RegEnumKeyExW(key, i, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
      entries += ReadString(hive, uninstall + L"\\" + name, L"DisplayName") == kProductName;
    }
    RegCloseKey(key);
  }
  return entries;
}

std::string Narrow(const std::wstring& text) { return snap::Narrow(text); }

// The classes and add-in entries below whichever hive they went to, so that
// the package's rows and the DLLs' own registration can be compared.
std::set<std::wstring> OurKeys(const std::vector<std::wstring>& added) {
  std::set<std::wstring> ours;
  for (std::wstring line : added) {
    for (const wchar_t* root : {L"HKLM\\SOFTWARE\\CLASSES\\", L"HKCU\\SOFTWARE\\CLASSES\\"})
      if (line.rfind(root, 0) == 0) line = L"CLASSES\\" + line.substr(wcslen(root));
    if (line.rfind(L"CLASSES\\", 0) != 0 && line.rfind(snap::Upper(std::wstring(L"HKCU\\") + kAddInsKey), 0) != 0) continue;
    // Registration's note of the keys it created; the installer keeps its own.
    if (line.find(L"|REGISTERED KEYS=") != std::wstring::npos) continue;
    // The installer's folder ends in a backslash.
    if (line.find(L"\\HELPDIR|=") != std::wstring::npos && line.back() == L'\\') line.pop_back();
    ours.insert(line);
  }
  return ours;
}

using PackageInstall = HostTest;

TEST_F(PackageInstall, RegistersBothAddInsForTheHostWhichLoadsThemAndASessionWritesItsAltText) {
  ASSERT_EQ(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED), S_OK);
  const auto before = RegistryNow();
  ASSERT_EQ(Msiexec(L"/i", PACKAGE_MSI), 0u);
  const auto installed = snap::Added(before, RegistryNow());
  const std::wstring dir = InstallDir();
  for (const Server& server : kServers) {
    SCOPED_TRACE(Narrow(server.progId));
    const std::wstring dll = dir + L"\\" + server.file;
    EXPECT_TRUE(Exists(dll)) << Narrow(dll);
    CLSID clsid{}, expected{};
    ASSERT_EQ(CLSIDFromString(server.clsid, &expected), S_OK);
    EXPECT_EQ(CLSIDFromProgID(server.progId, &clsid), S_OK);
    EXPECT_TRUE(IsEqualCLSID(clsid, expected));
    const std::wstring classKey = std::wstring(L"CLSID\\") + server.clsid + L"\\InprocServer32";
    EXPECT_EQ(ReadString(HKEY_CLASSES_ROOT, classKey, nullptr), dll);
    EXPECT_EQ(ReadDword(HKEY_CURRENT_USER, std::wstring(kAddInsKey) + L"\\" + server.progId, L"LoadBehavior"),
              server.loadBehavior);
    // Wine's msiexec runs as an administrator and writes a per-user
    // package's classes for the machine; Windows writes them for the user.
    const bool machine = ReadString(HKEY_LOCAL_MACHINE, std::wstring(L"Software\\Classes\\") + classKey, nullptr).has_value();
    const bool user = ReadString(HKEY_CURRENT_USER, std::wstring(L"Software\\Classes\\") + classKey, nullptr).has_value();
    EXPECT_NE(machine, user) << "the class is registered in exactly one hive";
    std::printf("%ls: classes under %ls\\Software\\Classes\n", server.progId, machine ? L"HKLM" : L"HKCU");
  }
  EXPECT_EQ(ReadString(HKEY_CURRENT_USER, kMenuKey, L"1"), L"Mapnote,Tessaly...");

  // The host loads zarvik at its start, which puts up the menu; mapnote
  // waits for its item.
  ASSERT_NO_FATAL_FAILURE(StartHost());
  const auto paths = host_.ControlPaths();
  EXPECT_NE(std::find(paths.begin(), paths.end(), L"Zarvik > Tessaly..."), paths.end());
  ExpectCleanQuit(QuitHost(), {"zarvik.dll"});

  const auto page = ReadFile(WebFile("town.htm"));
  ASSERT_NO_FATAL_FAILURE(StartHost({"town.htm"}));
  ClickTessaly();
  auto dialog = AreaDialog::Find(host_);
  ASSERT_TRUE(dialog) << "no dialog \"Image Map ALT Text\"";
  ASSERT_TRUE(WaitUntil([&] { return dialog->Visible() && dialog->Status() == L"Image Map Area 1 of 5"; }));
  dialog->Click(L">");
  ASSERT_TRUE(WaitUntil([&] { return dialog->Status() == L"Image Map Area 2 of 5"; }));
  dialog->TypeAltText(L"About us");
  ASSERT_TRUE(WaitUntil([&] { return dialog->AltText() == L"About us"; }));
  dialog->Click(L"OK");
  ASSERT_TRUE(WaitUntil([&] { return !dialog->Visible(); }));
  ExpectCleanQuit(QuitHost(), {"mapnote.dll", "zarvik.dll"});
  const auto tags = AreaTags(ReadFile(WebFile("town.htm")));
  ASSERT_EQ(tags.size(), 5u);
  EXPECT_EQ(AltOf(tags[1]), "About us");
  EXPECT_EQ(WithoutAreaTags(ReadFile(WebFile("town.htm"))), WithoutAreaTags(page));

  // The package's rows are what the DLLs write when they register
  // themselves where the package put them, key by key.
  for (const Server& server : kServers) {
    const std::wstring dll = L"\"" + dir + L"\\" + server.file + L"\"";
    ASSERT_EQ(RunAndWait(L"regsvr32 /s /u " + dll), 0u);
    ASSERT_EQ(RunAndWait(L"regsvr32 /s " + dll), 0u);
  }
  const auto registered = snap::Added(before, RegistryNow());
  const auto fromPackage = OurKeys(installed), fromDlls = OurKeys(registered);
  EXPECT_GT(fromPackage.size(), 30u);
  std::vector<std::wstring> onlyPackage, onlyDlls;
  std::set_difference(fromPackage.begin(), fromPackage.end(), fromDlls.begin(), fromDlls.end(), std::back_inserter(onlyPackage));
  std::set_difference(fromDlls.begin(), fromDlls.end(), fromPackage.begin(), fromPackage.end(), std::back_inserter(onlyDlls));
  EXPECT_TRUE(onlyPackage.empty()) << "the package only:" << snap::Narrow(onlyPackage);
  EXPECT_TRUE(onlyDlls.empty()) << "the DLLs only:" << snap::Narrow(onlyDlls);
  CoUninitialize();
}

// Whatever the menu value "1" was before, uninstalling leaves it so; one
// another package wrote is not replaced either. Installed for the machine,
// the files go to Program Files, and the removal needs no ALLUSERS.
TEST(PackageUninstall, LeavesTheRegistryAndTheDiskAsTheyWere) {
  struct Case {
    const char* what;
    std::optional<std::wstring> menuBefore;
    const wchar_t* properties;
    int folder;
  };
  const Case cases[] = {
      {"no menu entry", std::nullopt, L"", CSIDL_LOCAL_APPDATA},
      {"another package's menu entry", L"Other,Other...", L"", CSIDL_LOCAL_APPDATA},
      {"the same menu entry written by hand", L"Mapnote,Tessaly...", L"", CSIDL_LOCAL_APPDATA},
      {"for the machine", std::nullopt, L" ALLUSERS=1", CSIDL_PROGRAM_FILES},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ASSERT_NO_FATAL_FAILURE(SetMenuEntry(c.menuBefore));
    const auto before = RegistryNow();
    ASSERT_EQ(Msiexec(L"/i", PACKAGE_MSI, c.properties), 0u);
    EXPECT_TRUE(Exists(InstallDir(c.folder) + L"\\zarvik.dll"));
    EXPECT_EQ(ReadString(HKEY_CURRENT_USER, kMenuKey, L"1"), c.menuBefore.value_or(L"Mapnote,Tessaly..."));
    EXPECT_EQ(InstalledProducts().size(), 1u);
    ASSERT_EQ(Msiexec(L"/x", PACKAGE_MSI), 0u);
    ExpectSameRegistry(before);
    EXPECT_FALSE(Exists(InstallDir(c.folder))) << "the folder is left";
    EXPECT_TRUE(InstalledProducts().empty());
  }
}

TEST(PackageUpgrade, TheNewerVersionReplacesTheOlderAndItsUninstallLeavesNothing) {
  const auto before = RegistryNow();
  ASSERT_EQ(Msiexec(L"/i", PACKAGE_MSI), 0u);
  ASSERT_EQ(Msiexec(L"/i", PACKAGE_UPGRADE_MSI), 0u);
  const auto products = InstalledProducts();
  ASSERT_EQ(products.size(), 1u) << "one product installed";
  wchar_t version[32] = {};
  DWORD size = ARRAYSIZE(version);
  EXPECT_EQ(MsiGetProductInfoW(products[0].c_str(), L"VersionString", version, &size), 0u);
  EXPECT_STREQ(version, L"1.0.1");
  EXPECT_EQ(ProgramEntries(), 1) << "Add/Remove Programs' entries";
  // The test package's DLLs end with its mark.
  for (const Server& server : kServers) {
    const auto dll = ReadString(HKEY_CLASSES_ROOT, std::wstring(L"CLSID\\") + server.clsid + L"\\InprocServer32", nullptr);
    ASSERT_TRUE(dll) << Narrow(server.progId);
    const std::string bytes = ReadFile(*dll);
    ASSERT_FALSE(bytes.empty()) << Narrow(*dll);
    EXPECT_TRUE(bytes.ends_with(PACKAGE_UPGRADE_MARK)) << Narrow(*dll) << " is not the newer file";
  }
  EXPECT_EQ(ReadString(HKEY_CURRENT_USER, kMenuKey, L"1"), L"Mapnote,Tessaly...");
  ASSERT_EQ(Msiexec(L"/x", PACKAGE_UPGRADE_MSI), 0u);
  ExpectSameRegistry(before);
  EXPECT_FALSE(Exists(InstallDir()));
  EXPECT_TRUE(InstalledProducts().empty());
}

// A package that cannot be read, and an install that fails half-way (a
// folder where zarvik.dll goes, after mapnote.dll was copied): msiexec
// says so, and what it had done is undone.
TEST(PackageFailure, IsReportedAndRolledBackToNothing) {
  // The package cut in half.
  const std::string broken = std::string(PACKAGE_WORK_DIR) + "/broken.msi";
  CreateDirectoryW(WinePath(PACKAGE_WORK_DIR).c_str(), nullptr);
  ASSERT_TRUE(CopyFileW(WinePath(PACKAGE_MSI).c_str(), WinePath(broken).c_str(), FALSE));
  HANDLE file = CreateFileW(WinePath(broken).c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  SetFilePointer(file, static_cast<LONG>(GetFileSize(file, nullptr) / 2), nullptr, FILE_BEGIN);
  SetEndOfFile(file);
  CloseHandle(file);
  const auto before = RegistryNow();
  EXPECT_NE(Msiexec(L"/i", broken), 0u) << "a broken package was installed";
  ExpectSameRegistry(before);
  EXPECT_FALSE(Exists(InstallDir()));

  const std::wstring blocker = InstallDir() + L"\\zarvik.dll";
  ASSERT_TRUE(CreateDirectoryW(InstallDir().c_str(), nullptr));
  ASSERT_TRUE(CreateDirectoryW(blocker.c_str(), nullptr));
  const auto blocked = RegistryNow();
  EXPECT_EQ(Msiexec(L"/i", PACKAGE_MSI), static_cast<DWORD>(ERROR_INSTALL_FAILURE));
  ExpectSameRegistry(blocked);
  EXPECT_FALSE(Exists(InstallDir() + L"\\mapnote.dll")) << "the file copied before the failure is left";
  EXPECT_TRUE(Exists(blocker)) << "what was there before is gone";
  EXPECT_TRUE(InstalledProducts().empty());
  RemoveDirectoryW(blocker.c_str());
  RemoveDirectoryW(InstallDir().c_str());
}

}  // namespace
}  // namespace e2e
