// zarvik.dll's entry points.
#include <initguid.h>  // defines this library's GUIDs, once

#include "host/com/class_factory.h"
#include "host/com/module.h"
#include "host/com/server_entry.h"
#include "zarvik/win/com_connect.h"

namespace {

const host::com::ClassRegistration kRegistration{
    .clsid = CLSID_Connect,
    .defaultInterface = IID__Connect,
    .defaultInterfaceName = L"_Connect",
    .libid = LIBID_zarvik,
    .libraryMajor = 1,
    .libraryMinor = 0,
    .libraryHelpString = L"Support DLL for Zarvik Add-ins",
    .progId = L"zarvik.Connect",
    .friendlyName = L"Zarvik Support",
    .description = L"Support Add-in for Zarvik Add-ins",
    .loadBehavior = 3,  // connect at host start-up
};

}  // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) {
    host::com::Module::Instance().SetHandle(instance);
    DisableThreadLibraryCalls(instance);
  }
  return TRUE;
}

STDAPI DllGetClassObject(REFCLSID rclsid, REFIID riid, LPVOID* out) {
  return host::com::GetClassObject<zarvik::win::ComConnect>(CLSID_Connect, rclsid, riid, out);
}

STDAPI DllCanUnloadNow() { return host::com::CanUnloadNow(); }

STDAPI DllRegisterServer() { return host::com::RegisterServer(kRegistration); }

STDAPI DllUnregisterServer() { return host::com::UnregisterServer(kRegistration); }

STDAPI DllInstall(BOOL install, LPCWSTR commandLine) { return host::com::Install(kRegistration, install, commandLine); }
