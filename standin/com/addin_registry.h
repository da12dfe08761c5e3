#pragma once
// The host's list of COM add-ins, as their registration left it under
// HKEY_CURRENT_USER\Software\Microsoft\Office\FrontPage\Addins: one key per
// ProgID with FriendlyName, Description and LoadBehavior.
#include <windows.h>

#include <string>
#include <vector>

namespace standin::com {

inline constexpr const wchar_t* kAddInsKey = L"Software\\Microsoft\\Office\\FrontPage\\Addins";

struct RegisteredAddIn {
  std::wstring progId, friendlyName, description;
  DWORD loadBehavior = 0;
};

// In the registry's order. A key without a DWORD LoadBehavior is listed with
// load behaviour 0, so that it is known but never connected.
std::vector<RegisteredAddIn> ReadRegisteredAddIns(HKEY root = HKEY_CURRENT_USER, const wchar_t* path = kAddInsKey);

}  // namespace standin::com
