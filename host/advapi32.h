#pragma once
// The 8-bit registry calls of advapi32, and the ANSI code page they speak.
#include <cstdint>
#include <string>
#include <string_view>

#include "host/text.h"

namespace host {

// Win32's values under names of their own, apart from <windows.h>'s macros,
// so that the order of includes never matters.
using HKEY32 = std::uint32_t;
inline constexpr HKEY32 kHkeyClassesRoot = 0x80000000;
inline constexpr HKEY32 kHkeyCurrentUser = 0x80000001;
inline constexpr HKEY32 kHkeyLocalMachine = 0x80000002;

namespace reg {
inline constexpr std::uint32_t kRegNone = 0;
inline constexpr std::uint32_t kRegSz = 1;
inline constexpr std::uint32_t kRegExpandSz = 2;
inline constexpr std::uint32_t kRegBinary = 3;
inline constexpr std::uint32_t kRegDword = 4;
inline constexpr std::uint32_t kRegMultiSz = 7;
inline constexpr std::int32_t kErrorSuccess = 0;
inline constexpr std::int32_t kErrorFileNotFound = 2;
inline constexpr std::int32_t kErrorInvalidHandle = 6;
inline constexpr std::int32_t kErrorMoreData = 234;
}  // namespace reg

class Advapi32 {
 public:
  // Opens an existing key; on failure *phkResult is left 0.
  virtual std::int32_t RegOpenKeyA(HKEY32 hKey, const std::string& lpSubKey, HKEY32& phkResult) = 0;
  // lpData may be null (a size query). lpType is written only on success or
  // ERROR_MORE_DATA; with a null key or a missing value it is left as it was.
  virtual std::int32_t RegQueryValueExA(HKEY32 hKey, const std::string& lpValueName, std::uint32_t lpReserved,
                                        std::uint32_t& lpType, std::uint8_t* lpData, std::uint32_t& lpcbData) = 0;
  virtual std::int32_t RegCloseKey(HKEY32 hKey) = 0;

 protected:
  ~Advapi32() = default;
};

class AnsiCodePage {
 public:
  virtual Text ToUtf16(std::string_view ansi) = 0;
  virtual std::string FromUtf16(std::u16string_view text) = 0;

 protected:
  ~AnsiCodePage() = default;
};

}  // namespace host
