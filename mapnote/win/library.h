#pragma once
// The composition root of mapnote.dll: one library context for as long as
// the DLL is loaded, running on the Windows ports.
#include "mapnote/library_context.h"

#include "host/com/host_objects.h"

namespace mapnote::win {

LibraryContext& Library();
// The host's global application object while an add-in of the DLL is connected.
host::com::HostGlobalsSlot& Globals();

}  // namespace mapnote::win
