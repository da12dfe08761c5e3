#pragma once
// The composition root of zarvik.dll: the ports of the library for as long
// as the DLL is loaded.
#include "zarvik/library_context.h"

#include "host/com/host_objects.h"

namespace zarvik::win {

const LibraryContext& Library();
// The host's global application object while an add-in of the DLL is connected.
host::com::HostGlobalsSlot& Globals();

}  // namespace zarvik::win
