#pragma once
// The COM faces of the portable host's objects: each hands the portable
// object's members out through IDispatch and the host's type library. A null
// object gives a null face. Every face counts as a live object of this
// program's module until its last reference is released.
#include "host/application.h"
#include "standin/com/automation.h"

namespace standin::com {

ComPtr<IApplication> ApplicationFace(host::Ref<host::HostApplication> application);
ComPtr<IWebWindow> WebWindowFace(host::Ref<host::WebWindow> window);
ComPtr<IPageWindows> PageWindowsFace(host::Ref<host::PageWindows> windows);
ComPtr<IPageWindow> PageWindowFace(host::Ref<host::PageWindow> window);
ComPtr<IPageDocument> DocumentFace(host::Ref<host::HTMLDocument> document);
ComPtr<IPageElements> ElementsFace(host::Ref<host::ElementCollection> elements);
ComPtr<IPageElement> ElementFace(host::Ref<host::HTMLElement> element);

ComPtr<ICommandBars> CommandBarsFace(host::Ref<host::CommandBars> bars);
ComPtr<ICommandBar> CommandBarFace(host::Ref<host::CommandBar> bar);
ComPtr<ICommandBarControls> ControlsFace(host::Ref<host::CommandBarControls> controls);
// A button raises Click through _CommandBarButtonEvents; a popup has Controls.
ComPtr<ICommandBarControl> ControlFace(host::Ref<host::CommandBarControl> control);

ComPtr<ICOMAddIns> AddInsFace(host::Ref<host::COMAddIns> addIns);
// The host's record of one add-in, raising the add-in instance's events.
ComPtr<ICOMAddIn> AddInFace(host::Ref<host::COMAddIn> addIn);

// An object with no members of its own (the open web): only its presence counts.
ComPtr<IDispatch> PlainFace(host::Ref<host::Object> object);

}  // namespace standin::com
