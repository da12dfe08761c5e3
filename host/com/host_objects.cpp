#include "host/com/host_objects.h"

namespace host::com {

ConnectionObjects WrapConnectionObjects(IDispatch* application, IDispatch* addInInstance) {
  return ConnectionObjects{WrapApplication(application), WrapAddInInstance(addInInstance)};
}

}  // namespace host::com
