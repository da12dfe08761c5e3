// What zarvik.dll serves, for the entry points every add-in DLL shares.
#include <initguid.h>  // defines this library's GUIDs, once

#include "host/com/class_factory.h"
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

HRESULT ClassObject(REFCLSID rclsid, REFIID riid, void** out) noexcept {
  return host::com::GetClassObject<zarvik::win::ComConnect>(CLSID_Connect, rclsid, riid, out);
}

}  // namespace

const host::com::Server& host::com::ThisServer() {
  static const Server server{kRegistration, &ClassObject};
  return server;
}
