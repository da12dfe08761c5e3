#pragma once
// mapnote's creatable COM class Connect: the host's connection interface on
// the portable add-in. Its default interface has no members.
#include "host/com/add_in_object.h"
#include "mapnote.h"

namespace mapnote::win {

class ComConnect : public host::com::AddInObject<_Connect> {
 public:
  ComConnect();
};

}  // namespace mapnote::win
