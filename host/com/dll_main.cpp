// What an add-in DLL serves, for the entry points every add-in DLL shares:
// compiled into each one (cmake/add_in_dll.cmake), where add_in_server.h
// names its add-in.
#include <initguid.h>  // defines the DLL's GUIDs, once

#include "add_in_server.h"
#include "host/com/class_factory.h"
#include "host/com/server_entry.h"

namespace {

HRESULT ClassObject(REFCLSID rclsid, REFIID riid, void** out) noexcept {
  return host::com::GetClassObject<add_in::ComConnect>(CLSID_Connect, rclsid, riid, out);
}

}  // namespace

const host::com::Server& host::com::ThisServer() {
  static const Server server{add_in::kRegistration, &ClassObject};
  return server;
}
