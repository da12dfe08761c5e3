#include "host/add_in.h"

namespace host {

void AddIn::OnConnection(const Ref<Object>& Application, ext_ConnectMode ConnectMode, const Ref<Object>& AddInInst,
                         Custom& custom) {
  // A host whose connection failed releases the add-in without disconnecting it.
  try {
    IDTExtensibility2_OnConnection(Application, ConnectMode, AddInInst, custom);
  } catch (...) {
    ReleaseHostObjects();
    throw;
  }
}

void AddIn::OnDisconnection(ext_DisconnectMode RemoveMode, Custom& custom) {
  // Office hosts expect every reference back here, whatever the mode: one
  // kept until the DLL unloads would be released under the loader lock.
  try {
    IDTExtensibility2_OnDisconnection(RemoveMode, custom);
  } catch (...) {
    ReleaseHostObjects();
    throw;
  }
  ReleaseHostObjects();
}

}  // namespace host
