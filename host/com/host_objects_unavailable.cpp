#include "host/com/host_objects.h"

#include "host/error.h"

namespace host::com {

// Built only while the host adapters are missing from the tree: a
// connection then fails plainly instead of running without a host.
ConnectionObjects WrapConnectionObjects(IDispatch*, IDispatch*) {
  throw Error(static_cast<std::uint32_t>(E_NOTIMPL), u"This build has no host adapters");
}

}  // namespace host::com
