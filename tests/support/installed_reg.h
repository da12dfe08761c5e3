#pragma once
// What installing both add-ins leaves in the registry for the host, as a
// .reg file: their add-in entries, then mapnote's line in the shared menu.
#include <string>

namespace tests {

inline constexpr const char* kAddInEntriesReg =
    "REGEDIT4\r\n\r\n"
    "[HKEY_CURRENT_USER\\Software\\Microsoft\\Office\\FrontPage\\Addins\\zarvik.Connect]\r\n"
    "\"FriendlyName\"=\"Zarvik Support\"\r\n"
    "\"Description\"=\"Support Add-in for Zarvik Add-ins\"\r\n"
    "\"LoadBehavior\"=dword:00000003\r\n\r\n"
    "[HKEY_CURRENT_USER\\Software\\Microsoft\\Office\\FrontPage\\Addins\\Mapnote.Connect]\r\n"
    "\"FriendlyName\"=\"Zarvik Tessaly\"\r\n"
    "\"Description\"=\"Tessaly\"\r\n"
    "\"LoadBehavior\"=dword:00000009\r\n";

inline const std::string kInstalledReg = std::string(kAddInEntriesReg) +
                                         "\r\n[HKEY_CURRENT_USER\\SOFTWARE\\Zarvik\\Add-ins]\r\n"
                                         "\"1\"=\"Mapnote,Tessaly...\"\r\n";

}  // namespace tests
