#pragma once
// The area editor dialog as data, so that every toolkit builds the same
// window, and the names by which the code addresses its controls.
#include "host/dialog.h"

namespace mapnote {

const host::FormDesign& FrmMainDesign();

namespace controls {
inline const host::ControlId Frame1{"Frame1"};
inline const host::ControlId Label1{"Label1"};
inline const host::ControlId txtLink{"txtLink"};
inline const host::ControlId Label2{"Label2"};
inline const host::ControlId txtMapnote{"txtMapnote"};
inline const host::ControlId lblStatus{"lblStatus"};
inline const host::ControlId chkSave{"chkSave"};
inline const host::ControlId cmdOK{"cmdOK"};
inline const host::ControlId cmdCancel{"cmdCancel"};

// The four move buttons form one array.
inline constexpr std::int16_t cmdMoveFirst = 0;
inline constexpr std::int16_t cmdMovePrevious = 1;
inline constexpr std::int16_t cmdMoveNext = 2;
inline constexpr std::int16_t cmdMoveLast = 3;
inline host::ControlId cmdMove(std::int16_t index) { return {"cmdMove", index}; }
}  // namespace controls

}  // namespace mapnote
