#pragma once
// Registration of a server's one class: the COM class (CLSID with its
// in-process server, ProgID, type library and default interface) and the
// host's add-in entry. Unregistration removes exactly these keys, and the
// parents that registration had to create and that are left empty.
#include <windows.h>

#include <string>

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

// A registry location: a hive and a path below it. `floor` is the part of the
// path that always stays, however empty unregistration leaves it.
struct RegistryPlace {
  HKEY hive;
  std::wstring path;
  std::wstring floor;
};

struct RegistryRoots {
  RegistryPlace classes;  // where HKEY_CLASSES_ROOT's keys go
  RegistryPlace addIns;   // the host's add-in list
};

enum class Scope { Machine, User };

// The machine-wide classes (administrators only) or the current user's; the
// add-in entry is always the current user's.
RegistryRoots RootsFor(Scope scope);

// Writes every key; on a failure removes what it wrote and throws host::Error.
void Register(const ClassRegistration& info, const RegistryRoots& roots, const std::wstring& serverPath);
void Unregister(const ClassRegistration& info, const RegistryRoots& roots);

// "{xxxxxxxx-...}" in upper case, as registry keys spell them.
std::wstring GuidText(const GUID& guid);

}  // namespace host::com
