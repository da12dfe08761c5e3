#pragma once
// Registration of a server's one class in this machine's registry, from the
// one table of registration_table.h.
#include <windows.h>

#include <string>

#include "host/com/registration_table.h"

namespace host::com {

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

// A server of this build's bitness at `path`.
ServerLocation ServerAt(const std::wstring& path);

// Writes every key of the table; on a failure removes what it wrote and
// throws host::Error. The shared keys it had to create are noted in its own
// class key, so that unregistration removes exactly what registration made:
// its own keys, and of the shared ones those it created and that are left
// empty. A shared key that existed before stays, even empty.
void Register(const ClassRegistration& info, const RegistryRoots& roots, const std::wstring& serverPath);
void Unregister(const ClassRegistration& info, const RegistryRoots& roots);

}  // namespace host::com
