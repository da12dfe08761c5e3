// What zarvik.dll serves, for the entry points every add-in DLL shares.
#include <initguid.h>  // defines this library's GUIDs, once

#include "host/com/class_factory.h"
#include "host/com/server_entry.h"
#include "zarvik/win/com_connect.h"
#include "zarvik/win/registration.h"

namespace {

HRESULT ClassObject(REFCLSID rclsid, REFIID riid, void** out) noexcept {
  return host::com::GetClassObject<zarvik::win::ComConnect>(CLSID_Connect, rclsid, riid, out);
}

}  // namespace

const host::com::Server& host::com::ThisServer() {
  static const Server server{zarvik::win::kRegistration, &ClassObject};
  return server;
}
