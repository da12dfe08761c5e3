#pragma once
// The registry reader's ports on the real advapi32 and code page.
#include "host/advapi32.h"

namespace zarvik::win {

class WinAdvapi32 final : public host::Advapi32 {
 public:
  std::int32_t RegOpenKeyA(host::HKEY32 hKey, const std::string& lpSubKey, host::HKEY32& phkResult) override;
  std::int32_t RegQueryValueExA(host::HKEY32 hKey, const std::string& lpValueName, std::uint32_t lpReserved,
                                std::uint32_t& lpType, std::uint8_t* lpData, std::uint32_t& lpcbData) override;
  std::int32_t RegCloseKey(host::HKEY32 hKey) override;
};

// The system's ANSI code page (CP_ACP).
class WinAnsiCodePage final : public host::AnsiCodePage {
 public:
  host::Text ToUtf16(std::string_view ansi) override;
  std::string FromUtf16(std::u16string_view text) override;
};

}  // namespace zarvik::win
