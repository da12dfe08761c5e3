#pragma once
// The typed wrappers behind host_adapters.h: each takes an object the host
// returned for a member whose kind is known, and gives null for null.
#include "host/application.h"
#include "host/com/com_ptr.h"

namespace host::com {

Ref<HostApplication> AdaptApplication(ComPtr<IDispatch> object);
Ref<WebWindow> AdaptWebWindow(ComPtr<IDispatch> object);
Ref<PageWindows> AdaptPageWindows(ComPtr<IDispatch> object);
Ref<PageWindow> AdaptPageWindow(ComPtr<IDispatch> object);
Ref<HTMLDocument> AdaptDocument(ComPtr<IDispatch> object);
Ref<ElementCollection> AdaptElements(ComPtr<IDispatch> object);
Ref<HTMLElement> AdaptElement(ComPtr<IDispatch> object);

Ref<CommandBars> AdaptCommandBars(ComPtr<IDispatch> object);
Ref<CommandBar> AdaptCommandBar(ComPtr<IDispatch> object);
Ref<CommandBarControls> AdaptControls(ComPtr<IDispatch> object);
// A popup (Type 10), a button (Type 1) or a plain control, by its Type.
Ref<CommandBarControl> AdaptControl(ComPtr<IDispatch> object);

Ref<COMAddIns> AdaptAddIns(ComPtr<IDispatch> object);
Ref<COMAddIn> AdaptAddIn(ComPtr<IDispatch> object);

// An object of no known kind, reachable only for what every object offers.
Ref<Object> AdaptPlainObject(ComPtr<IDispatch> object);

}  // namespace host::com
