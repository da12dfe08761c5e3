#pragma once
// Windows' failure codes thrown as the system's one error type. The only
// place an HRESULT becomes a host::Error's code, so that every Windows
// binding reports its failures alike.
#include <windows.h>

#include <cstdint>
#include <utility>

#include "host/error.h"
#include "host/text.h"

namespace host::com {

[[noreturn]] inline void ThrowHresult(HRESULT hr, Text description = {}) {
  throw Error(static_cast<std::uint32_t>(hr), std::move(description));
}

// The failure of the Win32 call just made, by its GetLastError.
[[noreturn]] inline void ThrowLastError(Text description = {}) {
  ThrowHresult(HRESULT_FROM_WIN32(::GetLastError()), std::move(description));
}

}  // namespace host::com
