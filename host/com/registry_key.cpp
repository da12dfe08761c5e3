#include "host/com/registry_key.h"

#include <vector>

#include "host/com/error_info.h"
#include "host/error.h"

namespace host::com {
namespace {

void Check(LONG rc) {
  ThrowIfFailed(HRESULT_FROM_WIN32(rc));
}

bool IsEmpty(HKEY root, const std::wstring& path) {
  RegKey key = RegKey::Open(root, path);
  if (!key) return false;
  DWORD subkeys = 0, values = 0;
  Check(RegQueryInfoKeyW(key.get(), nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, &values, nullptr, nullptr,
                         nullptr, nullptr));
  return subkeys == 0 && values == 0;
}

}  // namespace

std::wstring RegKey::GetString(const std::wstring& name) const {
  DWORD type = 0, size = 0;
  if (RegQueryValueExW(get(), name.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS || type != REG_SZ) return {};
  std::wstring value(size / sizeof(wchar_t) + 1, L'\0');
  size = static_cast<DWORD>(value.size() * sizeof(wchar_t));
  if (RegQueryValueExW(get(), name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(value.data()), &size) !=
          ERROR_SUCCESS ||
      type != REG_SZ)
    return {};
  value.resize(size / sizeof(wchar_t));
  while (!value.empty() && value.back() == L'\0') value.pop_back();
  return value;
}

RegKey RegKey::Create(HKEY root, const std::wstring& path) {
  RegKey key;
  Check(RegCreateKeyExW(root, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_READ | KEY_WRITE, nullptr,
                        key.put(), nullptr));
  return key;
}

RegKey RegKey::Open(HKEY root, const std::wstring& path, REGSAM access) {
  RegKey key;
  HKEY* slot = key.put();
  if (RegOpenKeyExW(root, path.c_str(), 0, access, slot) != ERROR_SUCCESS) *slot = nullptr;
  return key;
}

void RegKey::SetString(const std::wstring& name, const std::wstring& value) {
  auto bytes = static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t));
  Check(RegSetValueExW(get(), name.empty() ? nullptr : name.c_str(), 0, REG_SZ,
                       reinterpret_cast<const BYTE*>(value.c_str()), bytes));
}

void RegKey::SetDword(const std::wstring& name, DWORD value) {
  Check(RegSetValueExW(get(), name.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value));
}

void DeleteTree(HKEY root, const std::wstring& path) {
  {
    RegKey key = RegKey::Open(root, path, KEY_READ);
    if (!key) return;
    // Collect the names first: deleting while enumerating shifts the indexes.
    std::vector<std::wstring> children;
    wchar_t name[256];
    for (DWORD i = 0;; ++i) {
      DWORD length = ARRAYSIZE(name);
      LONG rc = RegEnumKeyExW(key.get(), i, name, &length, nullptr, nullptr, nullptr, nullptr);
      if (rc == ERROR_NO_MORE_ITEMS) break;
      Check(rc);
      children.emplace_back(name, length);
    }
    for (const auto& child : children) DeleteTree(root, path + L"\\" + child);
  }
  LONG rc = RegDeleteKeyW(root, path.c_str());
  if (rc != ERROR_FILE_NOT_FOUND) Check(rc);
}

void DeleteIfEmpty(HKEY root, const std::wstring& path) {
  if (IsEmpty(root, path)) Check(RegDeleteKeyW(root, path.c_str()));
}

}  // namespace host::com
