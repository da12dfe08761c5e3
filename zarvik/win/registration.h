#pragma once
// What zarvik.dll registers, for the DLL and for the installer package
// built from it. The GUIDs are those of zarvik.idl.
#include "host/com/registration_table.h"

namespace zarvik::win {

inline constexpr host::com::ClassRegistration kRegistration{
    .clsid = L"{C8F1769C-B9FE-4185-A11B-83F5EAC5FF37}",
    .defaultInterface = L"{400FA07F-7767-4FF1-B353-CCED8397351A}",
    .defaultInterfaceName = L"_Connect",
    .libid = L"{F0C26160-D1F1-49F1-A604-B75B2A709292}",
    .libraryMajor = 1,
    .libraryMinor = 0,
    .libraryHelpString = L"Support DLL for Zarvik Add-ins",
    .progId = L"zarvik.Connect",
    .friendlyName = L"Zarvik Support",
    .description = L"Support Add-in for Zarvik Add-ins",
    .loadBehavior = 3,  // connect at host start-up
};

}  // namespace zarvik::win
