#include "host/com/extensibility_bridge.h"

#include <utility>

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
    connected_ = true;
    try {
      addIn_->OnConnection(objects.application, static_cast<host::ext_ConnectMode>(ConnectMode),
                           objects.addInInstance, custom);
    } catch (...) {
      // The host releases an add-in whose connection failed, without a disconnection.
      ReleaseGlobals();
      throw;
    }
  });
}

HRESULT ExtensibilityBridge::OnDisconnection(::ext_DisconnectMode RemoveMode, SAFEARRAY**) {
  const HRESULT hr = Forward([&](host::Custom& custom) {
    addIn_->OnDisconnection(static_cast<host::ext_DisconnectMode>(RemoveMode), custom);
  });
  // The next connection hands the application over again.
  ReleaseGlobals();
  return hr;
}

ExtensibilityBridge::~ExtensibilityBridge() {
  // A host that releases the add-in without disconnecting it still gets
  // every object back now, not when the DLL unloads under the loader lock:
  // the add-in is disconnected as at a shutdown.
  if (!connected_) return;
  Forward([&](host::Custom& custom) { addIn_->OnDisconnection(host::ext_DisconnectMode::ext_dm_HostShutdown, custom); });
  ReleaseGlobals();
}

void ExtensibilityBridge::ReleaseGlobals() noexcept {
  if (std::exchange(connected_, false)) globals_.Set(nullptr);
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
