#pragma once
// Where the COM side meets the host adapters: the host's objects handed to
// OnConnection, seen as the portable host model.
#include <windows.h>
#include <ole2.h>

#include "host/application.h"
#include "host/com/dispatch/host_adapters.h"

namespace host::com {

struct ConnectionObjects {
  Ref<HostApplication> application;
  Ref<Object> addInInstance;
};

ConnectionObjects WrapConnectionObjects(IDispatch* application, IDispatch* addInInstance);

}  // namespace host::com
