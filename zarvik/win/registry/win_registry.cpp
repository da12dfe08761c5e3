#include "zarvik/win/registry/win_registry.h"

#include <windows.h>

namespace zarvik::win {
namespace {

// Keys cross the port as 32-bit values, as on the 32-bit host; widening
// sign-extends them, which keeps the predefined roots (0x80000001...) valid.
HKEY Key(host::HKEY32 h) { return reinterpret_cast<HKEY>(static_cast<std::intptr_t>(static_cast<std::int32_t>(h))); }
host::HKEY32 Key32(HKEY h) { return static_cast<host::HKEY32>(reinterpret_cast<std::intptr_t>(h)); }

bool Reported(LONG result) { return result == ERROR_SUCCESS || result == ERROR_MORE_DATA; }

}  // namespace

std::int32_t WinAdvapi32::RegOpenKeyA(host::HKEY32 hKey, const std::string& lpSubKey, host::HKEY32& phkResult) {
  HKEY opened = nullptr;
  const LONG result = ::RegOpenKeyA(Key(hKey), lpSubKey.c_str(), &opened);
  phkResult = result == ERROR_SUCCESS ? Key32(opened) : 0;
  return result;
}

std::int32_t WinAdvapi32::RegQueryValueExA(host::HKEY32 hKey, const std::string& lpValueName,
                                           std::uint32_t lpReserved, std::uint32_t& lpType, std::uint8_t* lpData,
                                           std::uint32_t& lpcbData) {
  // The reserved argument must reach the system as a null pointer.
  if (lpReserved != 0) return ERROR_INVALID_PARAMETER;
  DWORD type = lpType;
  DWORD size = lpcbData;
  const LONG result = ::RegQueryValueExA(Key(hKey), lpValueName.c_str(), nullptr, &type, lpData, &size);
  // A failed query reports nothing: the caller's fields keep their values.
  if (Reported(result)) {
    lpType = type;
    lpcbData = size;
  }
  return result;
}

std::int32_t WinAdvapi32::RegCloseKey(host::HKEY32 hKey) { return ::RegCloseKey(Key(hKey)); }

host::Text WinAnsiCodePage::ToUtf16(std::string_view ansi) {
  if (ansi.empty()) return {};
  const int length = static_cast<int>(ansi.size());
  const int wide = ::MultiByteToWideChar(CP_ACP, 0, ansi.data(), length, nullptr, 0);
  host::Text text(static_cast<std::size_t>(wide), u'\0');
  ::MultiByteToWideChar(CP_ACP, 0, ansi.data(), length, reinterpret_cast<wchar_t*>(text.data()), wide);
  return text;
}

std::string WinAnsiCodePage::FromUtf16(std::u16string_view text) {
  if (text.empty()) return {};
  const auto* wide = reinterpret_cast<const wchar_t*>(text.data());
  const int length = static_cast<int>(text.size());
  const int bytes = ::WideCharToMultiByte(CP_ACP, 0, wide, length, nullptr, 0, nullptr, nullptr);
  std::string ansi(static_cast<std::size_t>(bytes), '\0');
  ::WideCharToMultiByte(CP_ACP, 0, wide, length, ansi.data(), bytes, nullptr, nullptr);
  return ansi;
}

}  // namespace zarvik::win
