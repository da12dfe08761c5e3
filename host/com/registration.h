#pragma once
// Registration of a server's one class: the COM class (CLSID with its
// in-process server, ProgID, type library and default interface) and the
// host's add-in entry, as one table from which registering, unregistering,
// the per-user variant and the installer's rows all follow.
#include <windows.h>

#include <optional>
#include <string>
#include <vector>

namespace host::com {

struct ClassRegistration {
  CLSID clsid;
  IID defaultInterface;
  const wchar_t* defaultInterfaceName;
  GUID libid;
  WORD libraryMajor, libraryMinor;
  const wchar_t* libraryHelpString;
  const wchar_t* progId;
  // The host's add-in entry.
  const wchar_t* friendlyName;
  const wchar_t* description;
  DWORD loadBehavior;
};

// A registry location: a hive and a path below it.
struct RegistryPlace {
  HKEY hive;
  std::wstring path;
};

struct RegistryRoots {
  RegistryPlace classes;  // where HKEY_CLASSES_ROOT's keys go
  RegistryPlace addIns;   // the host's add-in list
};

enum class Scope { Machine, User };

// The machine-wide classes (administrators only) or the current user's; the
// add-in entry is always the current user's.
RegistryRoots RootsFor(Scope scope);

// Everything registration writes, as data: each key below one of the two
// roots, the values it gets (a string, or a DWORD), and whether it is the
// registration's own, removed with all below it by unregistration. The keys
// above those are shared with others.
struct RegistryValue {
  std::wstring name;  // empty for the key's default value
  std::wstring text;
  std::optional<DWORD> number;  // a DWORD value instead of the text
};
struct RegistryEntry {
  enum class Root { Classes, AddIns } root;
  std::wstring key;  // below the root
  bool own = false;
  std::vector<RegistryValue> values;
};
std::vector<RegistryEntry> RegistrationTable(const ClassRegistration& info, const std::wstring& serverPath);

// Writes every key of the table; on a failure removes what it wrote and
// throws host::Error. The shared keys it had to create are noted in its own
// class key, so that unregistration removes exactly what registration made:
// its own keys, and of the shared ones those it created and that are left
// empty. A shared key that existed before stays, even empty.
void Register(const ClassRegistration& info, const RegistryRoots& roots, const std::wstring& serverPath);
void Unregister(const ClassRegistration& info, const RegistryRoots& roots);

// "{xxxxxxxx-...}" in upper case, as registry keys spell them.
std::wstring GuidText(const GUID& guid);

}  // namespace host::com
