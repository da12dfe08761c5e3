#pragma once
// The ProgID under which the host knows this add-in.
#include "host/text.h"

namespace mapnote {

inline constexpr const char16_t* ConnectProgId = u"Mapnote.Connect";

}  // namespace mapnote
