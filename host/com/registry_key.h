#pragma once
// The registry writes of registration: keys created or deleted by path, and
// values set. A failing call throws host::Error with HRESULT_FROM_WIN32.
#include <windows.h>

#include <string>

#include "host/com/unique_handle.h"

namespace host::com {

class RegKey : public UniqueHandle<RegKey, HKEY, &RegCloseKey> {
 public:
  // Creates the key (and its missing parents) or opens it for writing.
  static RegKey Create(HKEY root, const std::wstring& path);
  // Opens an existing key; an empty RegKey when there is none.
  static RegKey Open(HKEY root, const std::wstring& path, REGSAM access = KEY_READ);

  // A REG_SZ value without its terminating NULs (a stored string may or may
  // not carry one); empty when the value is missing or of another type. An
  // empty name is the key's default value.
  std::wstring GetString(const std::wstring& name) const;
  // An empty name sets the key's default value.
  void SetString(const std::wstring& name, const std::wstring& value);
  void SetDword(const std::wstring& name, DWORD value);
};

// Deletes the key with everything below it; a missing key is no failure.
void DeleteTree(HKEY root, const std::wstring& path);

// Deletes the key if it has no subkey and no value; a missing key is no failure.
void DeleteIfEmpty(HKEY root, const std::wstring& path);

}  // namespace host::com
