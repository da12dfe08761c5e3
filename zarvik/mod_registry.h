#pragma once
// Reads registry strings through the 8-bit advapi32 calls.
#include "host/advapi32.h"
#include "host/variant.h"

namespace zarvik {

// The text of the REG_SZ value sValueName under hKey\sSubKey, up to its first
// NUL; an empty variant when there is no such string value. A NUL beyond
// position 32,767 raises overflow.
host::Variant ReadRegistryString(host::Advapi32& advapi32, host::AnsiCodePage& codePage, const host::HKEY32& hKey,
                                 const host::Text& sSubKey, const host::Text& sValueName);

}  // namespace zarvik
