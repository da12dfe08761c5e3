// What mapnote.dll serves, for the entry points every add-in DLL shares.
#include <initguid.h>  // defines this library's GUIDs, once

#include "host/com/class_factory.h"
#include "host/com/server_entry.h"
#include "mapnote/win/com_connect.h"

namespace {

const host::com::ClassRegistration kRegistration{
    .clsid = CLSID_Connect,
    .defaultInterface = IID__Connect,
    .defaultInterfaceName = L"_Connect",
    .libid = LIBID_Mapnote,
    .libraryMajor = 1,
    .libraryMinor = 0,
    .libraryHelpString = L"Tessaly",
    .progId = L"Mapnote.Connect",
    .friendlyName = L"Zarvik Tessaly",
    .description = L"Tessaly",
    .loadBehavior = 9,  // connect on demand
};

HRESULT ClassObject(REFCLSID rclsid, REFIID riid, void** out) noexcept {
  return host::com::GetClassObject<mapnote::win::ComConnect>(CLSID_Connect, rclsid, riid, out);
}

}  // namespace

const host::com::Server& host::com::ThisServer() {
  static const Server server{kRegistration, &ClassObject};
  return server;
}
