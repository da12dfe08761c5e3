#include "host/com/registration.h"

#include <algorithm>
#include <exception>

#include "host/com/registry_key.h"

namespace host::com {
namespace {

// The standard marshaller of dual and automation interfaces (PSOAInterface).
constexpr const wchar_t* kAutomationMarshaller = L"{00020424-0000-0000-C000-000000000046}";
// Under the class key: the shared keys registration created, one per line,
// each "C" (in the classes' hive) or "A" (in the add-ins' hive) then its path.
constexpr const wchar_t* kCreatedKeys = L"Registered keys";

using Root = RegistryEntry::Root;

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

RegistryValue Text(std::wstring name, std::wstring text) { return {std::move(name), std::move(text), std::nullopt}; }

const RegistryPlace& PlaceOf(const RegistryRoots& roots, Root root) {
  return root == Root::Classes ? roots.classes : roots.addIns;
}

std::wstring ClassKey(const ClassRegistration& info) { return Under(L"CLSID", GuidText(info.clsid)); }

// Notes each key above `key` that does not exist yet, from the hive down.
void NoteMissingParents(const RegistryPlace& place, wchar_t tag, const std::wstring& key, std::wstring& created) {
  const std::wstring full = Under(place.path, key);
  for (std::size_t next = full.find(L'\\'); next != std::wstring::npos; next = full.find(L'\\', next + 1)) {
    const std::wstring parent = full.substr(0, next);
    const std::wstring line = std::wstring(1, tag) + parent + L"\n";
    if (!RegKey::Open(place.hive, parent) && created.find(line) == std::wstring::npos) created += line;
  }
}

void Write(const RegistryRoots& roots, const RegistryEntry& entry) {
  const RegistryPlace& place = PlaceOf(roots, entry.root);
  RegKey key = RegKey::Create(place.hive, Under(place.path, entry.key));
  for (const RegistryValue& value : entry.values) {
    if (value.number)
      key.SetDword(value.name, *value.number);
    else
      key.SetString(value.name, value.text);
  }
}

std::wstring ReadCreatedKeys(const ClassRegistration& info, const RegistryRoots& roots) {
  const RegKey key = RegKey::Open(roots.classes.hive, Under(roots.classes.path, ClassKey(info)));
  return key ? key.GetString(kCreatedKeys) : std::wstring();
}

}  // namespace

std::vector<RegistryEntry> RegistrationTable(const ClassRegistration& info, const std::wstring& serverPath) {
  const std::wstring clsid = ClassKey(info);
  const std::wstring libid = GuidText(info.libid);
  const std::wstring typeLib = Under(L"TypeLib", libid);
  const std::wstring version = Under(typeLib, VersionText(info));
  const std::wstring itf = Under(L"Interface", GuidText(info.defaultInterface));
  return {
      {Root::Classes, clsid, true, {Text(L"", info.progId)}},
      {Root::Classes, Under(clsid, L"InprocServer32"), false,
       {Text(L"", serverPath), Text(L"ThreadingModel", L"Apartment")}},
      {Root::Classes, Under(clsid, L"ProgID"), false, {Text(L"", info.progId)}},
      {Root::Classes, Under(clsid, L"TypeLib"), false, {Text(L"", libid)}},
      {Root::Classes, info.progId, true, {Text(L"", info.progId)}},
      {Root::Classes, Under(info.progId, L"CLSID"), false, {Text(L"", GuidText(info.clsid))}},
      // The type library, as RegisterTypeLib records it. Only our own
      // interface is recorded: the connection interface belongs to the host,
      // whose registration of it must neither be replaced nor removed with ours.
      {Root::Classes, typeLib, true, {}},
      {Root::Classes, version, false, {Text(L"", info.libraryHelpString)}},
      {Root::Classes, Under(version, L"FLAGS"), false, {Text(L"", L"0")}},
      {Root::Classes, Under(version, sizeof(void*) == 8 ? L"0\\win64" : L"0\\win32"), false, {Text(L"", serverPath)}},
      {Root::Classes, Under(version, L"HELPDIR"), false, {Text(L"", serverPath.substr(0, serverPath.rfind(L'\\')))}},
      {Root::Classes, itf, true, {Text(L"", info.defaultInterfaceName)}},
      {Root::Classes, Under(itf, L"ProxyStubClsid"), false, {Text(L"", kAutomationMarshaller)}},
      {Root::Classes, Under(itf, L"ProxyStubClsid32"), false, {Text(L"", kAutomationMarshaller)}},
      {Root::Classes, Under(itf, L"TypeLib"), false, {Text(L"", libid), Text(L"Version", VersionText(info))}},
      {Root::AddIns, info.progId, true,
       {Text(L"FriendlyName", info.friendlyName), Text(L"Description", info.description),
        RegistryValue{L"LoadBehavior", {}, info.loadBehavior}}},
  };
}

RegistryRoots RootsFor(Scope scope) {
  const HKEY classesHive = scope == Scope::Machine ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER;
  return RegistryRoots{
      {classesHive, L"Software\\Classes"},
      {HKEY_CURRENT_USER, L"Software\\Microsoft\\Office\\FrontPage\\Addins"},
  };
}

void Register(const ClassRegistration& info, const RegistryRoots& roots, const std::wstring& serverPath) {
  const auto table = RegistrationTable(info, serverPath);
  // A key of ours that is there already is written over, and keeps the note
  // of a registration before this one.
  std::wstring created = ReadCreatedKeys(info, roots);
  for (const RegistryEntry& entry : table) {
    if (!entry.own) continue;
    const wchar_t tag = entry.root == Root::Classes ? L'C' : L'A';
    NoteMissingParents(PlaceOf(roots, entry.root), tag, entry.key, created);
  }
  try {
    // The note goes first, so that a registration failing half-way is undone whole.
    RegKey::Create(roots.classes.hive, Under(roots.classes.path, ClassKey(info))).SetString(kCreatedKeys, created);
    for (const RegistryEntry& entry : table) Write(roots, entry);
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
  const std::wstring created = ReadCreatedKeys(info, roots);
  // Every step is tried; the first failure is reported afterwards.
  std::exception_ptr first;
  auto step = [&](auto&& action) {
    try {
      action();
    } catch (...) {
      if (!first) first = std::current_exception();
    }
  };
  for (const RegistryEntry& entry : RegistrationTable(info, L"")) {
    if (!entry.own) continue;
    const RegistryPlace& place = PlaceOf(roots, entry.root);
    step([&] { DeleteTree(place.hive, Under(place.path, entry.key)); });
  }
  // Of the shared keys, those registration created, the deepest first, if
  // nothing else has come into them since.
  std::vector<std::wstring> lines;
  for (std::size_t at = 0; at < created.size();) {
    const std::size_t end = created.find(L'\n', at);
    lines.push_back(created.substr(at, end == std::wstring::npos ? std::wstring::npos : end - at));
    at = end == std::wstring::npos ? created.size() : end + 1;
  }
  std::sort(lines.begin(), lines.end(), [](const std::wstring& a, const std::wstring& b) { return a.size() > b.size(); });
  for (const std::wstring& line : lines) {
    if (line.size() < 2) continue;
    const HKEY hive = PlaceOf(roots, line[0] == L'C' ? Root::Classes : Root::AddIns).hive;
    step([&] { DeleteIfEmpty(hive, line.substr(1)); });
  }
  if (first) std::rethrow_exception(first);
}

std::wstring GuidText(const GUID& guid) {
  wchar_t text[40];
  StringFromGUID2(guid, text, ARRAYSIZE(text));
  return text;
}

}  // namespace host::com
