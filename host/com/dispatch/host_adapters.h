#pragma once
// The host's automation objects seen as the portable host object model.
// Every call goes through IDispatch late binding by member name, so any host
// that offers these members by name works, whatever its type library.
//
// To plug in (COM Connect of each DLL): link `host_dispatch`, and in
// OnConnection pass WrapApplication(Application) and
// WrapAddInInstance(AddInInst) to the portable add-in; keep the wrapped
// application in a HostGlobalsSlot for code that needs the host's global
// application object.
#include <oaidl.h>

#include "host/application.h"

namespace host::com {

// The application handed to OnConnection. Null gives null.
Ref<HostApplication> WrapApplication(IDispatch* application);

// The host's record of this add-in (OnConnection's AddInInst). Null gives null.
Ref<COMAddIn> WrapAddInInstance(IDispatch* addInInstance);

// Any host object, as the adapter its kind calls for (a command-bar control
// by its Type, a collection by its members); an unknown kind is a plain
// late-bound object. Null gives null.
Ref<Object> WrapHostObject(IDispatch* object);

// The host's global application object, from OnConnection to the disconnection.
class HostGlobalsSlot final : public HostGlobals {
 public:
  void Set(Ref<HostApplication> application) { application_ = std::move(application); }
  Ref<HostApplication> Application() override { return application_; }

 private:
  Ref<HostApplication> application_;
};

}  // namespace host::com
