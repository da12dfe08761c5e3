// The exported entry points of an add-in DLL, the same in each; built into
// every DLL, which says what it serves in its ThisServer().
#include <windows.h>

#include "host/com/module.h"
#include "host/com/server_entry.h"

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  // Under the loader lock: no COM call, nothing else made here.
  if (reason == DLL_PROCESS_ATTACH) {
    host::com::Module::Instance().SetHandle(instance);
    DisableThreadLibraryCalls(instance);
  }
  return TRUE;
}

STDAPI DllGetClassObject(REFCLSID rclsid, REFIID riid, LPVOID* out) {
  return host::com::ThisServer().getClassObject(rclsid, riid, out);
}

STDAPI DllCanUnloadNow() { return host::com::CanUnloadNow(); }

STDAPI DllRegisterServer() { return host::com::RegisterServer(host::com::ThisServer().registration); }

STDAPI DllUnregisterServer() { return host::com::UnregisterServer(host::com::ThisServer().registration); }

STDAPI DllInstall(BOOL install, LPCWSTR commandLine) {
  return host::com::Install(host::com::ThisServer().registration, install, commandLine);
}
