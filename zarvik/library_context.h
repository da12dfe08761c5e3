#pragma once
// The ports of one loaded copy of the library, through which it reaches the
// host and the registry. The DLL keeps one for as long as it is loaded.
#include "host/advapi32.h"
#include "host/application.h"

namespace zarvik {

struct LibraryContext {
  host::HostGlobals& globals;
  host::Advapi32& advapi32;
  host::AnsiCodePage& codePage;
};

}  // namespace zarvik
