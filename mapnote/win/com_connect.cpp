// The portable headers come first: some of their names are macros in <windows.h>.
#include "mapnote/connect.h"
#include "mapnote/prog_id.h"
#include "mapnote/win/library.h"

#include "mapnote/win/com_connect.h"

namespace mapnote::win {

ComConnect::ComConnect()
    : AddInObject(std::make_shared<mapnote::Connect>(Library()), Globals(),
                  reinterpret_cast<const OLECHAR*>(ConnectProgId)) {}

}  // namespace mapnote::win
