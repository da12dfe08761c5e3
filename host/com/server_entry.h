#pragma once
// What the exported registration entry points of a server do, given its
// registration data; each DLL's exports forward here.
#include <windows.h>

#include "host/com/registration.h"

namespace host::com {

// DllRegisterServer / DllUnregisterServer: the machine-wide classes.
HRESULT RegisterServer(const ClassRegistration& info) noexcept;
HRESULT UnregisterServer(const ClassRegistration& info) noexcept;

// DllInstall: the command line "user" (any letter case) registers for the
// current user only, so no administrator is needed; none registers for the
// machine, as DllRegisterServer does. Any other is E_INVALIDARG.
HRESULT Install(const ClassRegistration& info, BOOL install, LPCWSTR commandLine) noexcept;

// DllCanUnloadNow.
HRESULT CanUnloadNow() noexcept;

// What a DLL serves: its registration data and its class objects. Each DLL
// defines ThisServer(); the exports (server_exports.cpp) ask it.
struct Server {
  const ClassRegistration& registration;
  HRESULT (*getClassObject)(REFCLSID rclsid, REFIID riid, void** out) noexcept;
};
const Server& ThisServer();

}  // namespace host::com
