#pragma once
// The ProgID under which the host knows this add-in.
#include "host/text.h"

namespace zarvik {

inline constexpr const char16_t* ConnectProgId = u"zarvik.Connect";

}  // namespace zarvik
