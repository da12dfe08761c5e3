#pragma once
// The typed wrappers behind host_adapters.h: each takes an object the host
// returned for a member whose kind is known, and gives null for null.
#include "host/application.h"
#include "host/com/dispatch/late_bound.h"

namespace host::com {

Ref<HostApplication> AdaptApplication(LateBound object);
Ref<WebWindow> AdaptWebWindow(LateBound object);
Ref<PageWindows> AdaptPageWindows(LateBound object);
Ref<PageWindow> AdaptPageWindow(LateBound object);
Ref<HTMLDocument> AdaptDocument(LateBound object);
Ref<ElementCollection> AdaptElements(LateBound object);
Ref<HTMLElement> AdaptElement(LateBound object);

Ref<CommandBars> AdaptCommandBars(LateBound object);
Ref<CommandBar> AdaptCommandBar(LateBound object);
Ref<CommandBarControls> AdaptControls(LateBound object);
// A popup (Type 10), a button (Type 1) or a plain control, by its Type.
Ref<CommandBarControl> AdaptControl(LateBound object);

Ref<COMAddIns> AdaptAddIns(LateBound object);
Ref<COMAddIn> AdaptAddIn(LateBound object);

// An object of no known kind, reachable only for what every object offers.
Ref<Object> AdaptPlainObject(LateBound object);

}  // namespace host::com
