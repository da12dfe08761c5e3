#include "host/com/extensibility_bridge.h"

#include "host/com/error_info.h"

namespace host::com {

// The host's `custom` array is never read by the add-ins, so they get an empty one.
template <class Body>
HRESULT ExtensibilityBridge::Forward(Body&& body) noexcept {
  return Guarded(__uuidof(::IDTExtensibility2), source_, [&] {
    host::Custom custom;
    body(custom);
  });
}

HRESULT ExtensibilityBridge::OnConnection(IDispatch* Application, ::ext_ConnectMode ConnectMode, IDispatch* AddInInst,
                                          SAFEARRAY**) {
  return Forward([&](host::Custom& custom) {
    ConnectionObjects objects = WrapConnectionObjects(Application, AddInInst);
    globals_.Set(objects.application);
    addIn_->OnConnection(objects.application, static_cast<host::ext_ConnectMode>(ConnectMode), objects.addInInstance,
                        custom);
  });
}

HRESULT ExtensibilityBridge::OnDisconnection(::ext_DisconnectMode RemoveMode, SAFEARRAY**) {
  return Forward([&](host::Custom& custom) {
    addIn_->OnDisconnection(static_cast<host::ext_DisconnectMode>(RemoveMode), custom);
  });
}

HRESULT ExtensibilityBridge::OnAddInsUpdate(SAFEARRAY**) {
  return Forward([&](host::Custom& custom) { addIn_->OnAddInsUpdate(custom); });
}

HRESULT ExtensibilityBridge::OnStartupComplete(SAFEARRAY**) {
  return Forward([&](host::Custom& custom) { addIn_->OnStartupComplete(custom); });
}

HRESULT ExtensibilityBridge::OnBeginShutdown(SAFEARRAY**) {
  return Forward([&](host::Custom& custom) { addIn_->OnBeginShutdown(custom); });
}

}  // namespace host::com
