#include "standin/com/addin_registry.h"

#include "host/com/registry_key.h"

namespace standin::com {
namespace {

DWORD ReadDword(HKEY key, const wchar_t* name) {
  DWORD type = 0, value = 0, size = sizeof(value);
  if (RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size) != ERROR_SUCCESS ||
      type != REG_DWORD)
    return 0;
  return value;
}

}  // namespace

std::vector<RegisteredAddIn> ReadRegisteredAddIns(HKEY root, const wchar_t* path) {
  std::vector<RegisteredAddIn> addIns;
  auto list = host::com::RegKey::Open(root, path);
  if (!list) return addIns;
  for (DWORD index = 0;; ++index) {
    wchar_t name[256];
    DWORD length = static_cast<DWORD>(std::size(name));
    const LONG status = RegEnumKeyExW(list.get(), index, name, &length, nullptr, nullptr, nullptr, nullptr);
    if (status == ERROR_NO_MORE_ITEMS) break;
    if (status != ERROR_SUCCESS) continue;
    auto entry = host::com::RegKey::Open(list.get(), name);
    if (!entry) continue;
    addIns.push_back({name, entry.GetString(L"FriendlyName"), entry.GetString(L"Description"),
                      ReadDword(entry.get(), L"LoadBehavior")});
  }
  return addIns;
}

}  // namespace standin::com
