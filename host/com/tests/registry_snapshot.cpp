#include "host/com/tests/registry_snapshot.h"

#include <algorithm>
#include <cwctype>
#include <iterator>

namespace host::com::testing {
namespace {

std::wstring DataText(DWORD type, const std::vector<BYTE>& data) {
  if (type == REG_SZ || type == REG_EXPAND_SZ) {
    std::wstring text(reinterpret_cast<const wchar_t*>(data.data()), data.size() / sizeof(wchar_t));
    while (!text.empty() && text.back() == L'\0') text.pop_back();
    return text;
  }
  if (type == REG_DWORD && data.size() == sizeof(DWORD)) return std::to_wstring(*reinterpret_cast<const DWORD*>(data.data()));
  std::wstring hex;
  for (BYTE b : data) {
    wchar_t two[4];
    swprintf(two, 4, L"%02x", b);
    hex += two;
  }
  return hex;
}

}  // namespace

std::wstring Upper(std::wstring text) {
  for (auto& c : text) c = static_cast<wchar_t>(towupper(c));
  return text;
}

void AddSubtree(Snapshot& snapshot, HKEY hive, const std::wstring& hiveName, const std::wstring& path) {
  HKEY key = nullptr;
  if (RegOpenKeyExW(hive, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return;
  const std::wstring here = Upper(hiveName + L"\\" + path);
  snapshot.insert(here);

  for (DWORD i = 0;; ++i) {
    wchar_t name[16384];
    DWORD nameLength = ARRAYSIZE(name), type = 0, size = 0;
    if (RegEnumValueW(key, i, name, &nameLength, nullptr, &type, nullptr, &size) != ERROR_SUCCESS) break;
    std::vector<BYTE> data(size);
    nameLength = ARRAYSIZE(name);
    RegEnumValueW(key, i, name, &nameLength, nullptr, &type, data.data(), &size);
    data.resize(size);
    snapshot.insert(here + L"|" + Upper(std::wstring(name, nameLength)) + L"=" + std::to_wstring(type) + L":" + DataText(type, data));
  }

  std::vector<std::wstring> children;
  for (DWORD i = 0;; ++i) {
    wchar_t name[256];
    DWORD nameLength = ARRAYSIZE(name);
    if (RegEnumKeyExW(key, i, name, &nameLength, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
    children.emplace_back(name, nameLength);
  }
  RegCloseKey(key);
  for (const auto& child : children) {
    // The other bitness's view: on 64-bit systems it shares some keys (such
    // as TypeLib) with this one, which would show every change twice.
    if (Upper(child) == L"WOW6432NODE") continue;
    AddSubtree(snapshot, hive, hiveName, path + L"\\" + child);
  }
}

std::string Narrow(const std::wstring& text) {
  std::string narrow;
  for (wchar_t c : text) narrow += c < 128 ? static_cast<char>(c) : '?';
  return narrow;
}

std::string Narrow(const std::vector<std::wstring>& lines) {
  std::string all;
  for (const auto& line : lines) all += "\n  " + Narrow(line);
  return all;
}

std::vector<std::wstring> Added(const Snapshot& before, const Snapshot& after) {
  std::vector<std::wstring> added;
  std::set_difference(after.begin(), after.end(), before.begin(), before.end(), std::back_inserter(added));
  return added;
}

}  // namespace host::com::testing
