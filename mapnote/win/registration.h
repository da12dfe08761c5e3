#pragma once
// What mapnote.dll registers, for the DLL and for the installer package
// built from it. The GUIDs are those of mapnote.idl.
#include "host/com/registration_table.h"

namespace mapnote::win {

inline constexpr host::com::ClassRegistration kRegistration{
    .clsid = L"{A7AF9A75-368A-4A77-9DA7-6DD65B4FA686}",
    .defaultInterface = L"{59C88B9C-ADAC-4054-A3C2-F832D03530A4}",
    .defaultInterfaceName = L"_Connect",
    .libid = L"{3AE3747B-34DC-4C01-8C5B-1A1AA88CAD16}",
    .libraryMajor = 1,
    .libraryMinor = 0,
    .libraryHelpString = L"Tessaly",
    .progId = L"Mapnote.Connect",
    .friendlyName = L"Zarvik Tessaly",
    .description = L"Tessaly",
    .loadBehavior = 9,  // connect on demand
};

}  // namespace mapnote::win
