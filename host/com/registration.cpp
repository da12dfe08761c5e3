#include "host/com/registration.h"

#include <exception>

#include "host/com/registry_key.h"

namespace host::com {
namespace {

// The standard marshaller of dual and automation interfaces (PSOAInterface).
constexpr const wchar_t* kAutomationMarshaller = L"{00020424-0000-0000-C000-000000000046}";

std::wstring Under(const std::wstring& parent, const std::wstring& child) { return parent + L"\\" + child; }

// Without the wide printf family, which would add some 40 KB to the DLL.
std::wstring Digits(unsigned n) {
  std::wstring digits;
  do {
    digits.insert(digits.begin(), static_cast<wchar_t>(L'0' + n % 10));
    n /= 10;
  } while (n);
  return digits;
}

std::wstring VersionText(const ClassRegistration& info) {
  return Digits(info.libraryMajor) + L"." + Digits(info.libraryMinor);
}

struct ClassKeys {
  std::wstring clsids, clsid, progId, typeLib, typeLibVersion, interfaces, defaultInterface, addIn;
};

ClassKeys KeysOf(const ClassRegistration& info, const RegistryRoots& roots) {
  const std::wstring& base = roots.classes.path;
  ClassKeys k;
  k.clsids = Under(base, L"CLSID");
  k.clsid = Under(k.clsids, GuidText(info.clsid));
  k.progId = Under(base, info.progId);
  k.typeLib = Under(Under(base, L"TypeLib"), GuidText(info.libid));
  k.typeLibVersion = Under(k.typeLib, VersionText(info));
  k.interfaces = Under(base, L"Interface");
  k.defaultInterface = Under(k.interfaces, GuidText(info.defaultInterface));
  k.addIn = Under(roots.addIns.path, info.progId);
  return k;
}

void WriteAll(const ClassRegistration& info, const RegistryRoots& roots, const std::wstring& serverPath) {
  const ClassKeys k = KeysOf(info, roots);
  const HKEY hive = roots.classes.hive;
  const std::wstring libid = GuidText(info.libid);

  RegKey::Create(hive, k.clsid).SetString(L"", info.progId);
  RegKey server = RegKey::Create(hive, Under(k.clsid, L"InprocServer32"));
  server.SetString(L"", serverPath);
  server.SetString(L"ThreadingModel", L"Apartment");
  RegKey::Create(hive, Under(k.clsid, L"ProgID")).SetString(L"", info.progId);
  RegKey::Create(hive, Under(k.clsid, L"TypeLib")).SetString(L"", libid);

  RegKey::Create(hive, k.progId).SetString(L"", info.progId);
  RegKey::Create(hive, Under(k.progId, L"CLSID")).SetString(L"", GuidText(info.clsid));

  // The type library, as RegisterTypeLib records it. Only our own interface
  // is recorded: the connection interface belongs to the host, whose
  // registration of it must neither be replaced nor removed with ours.
  RegKey::Create(hive, k.typeLibVersion).SetString(L"", info.libraryHelpString);
  RegKey::Create(hive, Under(k.typeLibVersion, L"FLAGS")).SetString(L"", L"0");
  RegKey::Create(hive, Under(k.typeLibVersion, sizeof(void*) == 8 ? L"0\\win64" : L"0\\win32")).SetString(L"", serverPath);
  RegKey::Create(hive, Under(k.typeLibVersion, L"HELPDIR")).SetString(L"", serverPath.substr(0, serverPath.rfind(L'\\')));

  RegKey::Create(hive, k.defaultInterface).SetString(L"", info.defaultInterfaceName);
  RegKey::Create(hive, Under(k.defaultInterface, L"ProxyStubClsid")).SetString(L"", kAutomationMarshaller);
  RegKey::Create(hive, Under(k.defaultInterface, L"ProxyStubClsid32")).SetString(L"", kAutomationMarshaller);
  RegKey typeLib = RegKey::Create(hive, Under(k.defaultInterface, L"TypeLib"));
  typeLib.SetString(L"", libid);
  typeLib.SetString(L"Version", VersionText(info));

  RegKey addIn = RegKey::Create(roots.addIns.hive, k.addIn);
  addIn.SetString(L"FriendlyName", info.friendlyName);
  addIn.SetString(L"Description", info.description);
  addIn.SetDword(L"LoadBehavior", info.loadBehavior);
}

}  // namespace

RegistryRoots RootsFor(Scope scope) {
  const HKEY classesHive = scope == Scope::Machine ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER;
  return RegistryRoots{
      {classesHive, L"Software\\Classes", L"Software\\Classes"},
      {HKEY_CURRENT_USER, L"Software\\Microsoft\\Office\\FrontPage\\Addins", L"Software\\Microsoft"},
  };
}

void Register(const ClassRegistration& info, const RegistryRoots& roots, const std::wstring& serverPath) {
  try {
    WriteAll(info, roots, serverPath);
  } catch (...) {
    try {
      Unregister(info, roots);
    } catch (...) {
      // The write's failure is the one to report.
    }
    throw;
  }
}

void Unregister(const ClassRegistration& info, const RegistryRoots& roots) {
  const ClassKeys k = KeysOf(info, roots);
  const RegistryPlace& classes = roots.classes;
  // Every step is tried; the first failure is reported afterwards.
  std::exception_ptr first;
  auto step = [&](auto&& action) {
    try {
      action();
    } catch (...) {
      if (!first) first = std::current_exception();
    }
  };
  step([&] { DeleteTree(classes.hive, k.clsid); });
  step([&] { PruneEmpty(classes.hive, k.clsids, classes.floor); });
  step([&] { DeleteTree(classes.hive, k.progId); });
  step([&] { DeleteTree(classes.hive, k.typeLibVersion); });
  step([&] { PruneEmpty(classes.hive, k.typeLib, classes.floor); });
  step([&] { DeleteTree(classes.hive, k.defaultInterface); });
  step([&] { PruneEmpty(classes.hive, k.interfaces, classes.floor); });
  step([&] { DeleteTree(roots.addIns.hive, k.addIn); });
  step([&] { PruneEmpty(roots.addIns.hive, roots.addIns.path, roots.addIns.floor); });
  if (first) std::rethrow_exception(first);
}

std::wstring GuidText(const GUID& guid) {
  wchar_t text[40];
  StringFromGUID2(guid, text, ARRAYSIZE(text));
  return text;
}

}  // namespace host::com
