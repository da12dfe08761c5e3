#include "mapnote/win/com_connect.h"

#include "mapnote/connect.h"
#include "mapnote/prog_id.h"
#include "mapnote/win/library.h"

namespace mapnote::win {

ComConnect::ComConnect()
    : AddInObject(std::make_shared<mapnote::Connect>(Library()), Globals(),
                  reinterpret_cast<const OLECHAR*>(ConnectProgId)) {}

}  // namespace mapnote::win
