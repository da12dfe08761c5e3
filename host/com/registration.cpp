#include "host/com/registration.h"

#include <algorithm>
#include <exception>

#include "host/com/registry_key.h"

namespace host::com {
namespace {

// Under the class key: the shared keys registration created, one per line,
// each "C" (in the classes' hive) or "A" (in the add-ins' hive) then its path.
constexpr const wchar_t* kCreatedKeys = L"Registered keys";

using Root = RegistryEntry::Root;

std::wstring Under(const std::wstring& parent, const std::wstring& child) { return parent + L"\\" + child; }

const RegistryPlace& PlaceOf(const RegistryRoots& roots, Root root) {
  return root == Root::Classes ? roots.classes : roots.addIns;
}

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

RegistryRoots RootsFor(Scope scope) {
  const HKEY classesHive = scope == Scope::Machine ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER;
  return RegistryRoots{
      {classesHive, kClassesKey},
      {HKEY_CURRENT_USER, kAddInsKey},
  };
}

ServerLocation ServerAt(const std::wstring& path) {
  return {path, path.substr(0, path.rfind(L'\\')), sizeof(void*) == 8};
}

void Register(const ClassRegistration& info, const RegistryRoots& roots, const std::wstring& serverPath) {
  const auto table = RegistrationTable(info, ServerAt(serverPath));
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
  for (const RegistryEntry& entry : RegistrationTable(info, {})) {
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

}  // namespace host::com
