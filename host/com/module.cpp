#include "host/com/module.h"

#include <vector>

namespace host::com {

Module& Module::Instance() {
  static Module module;
  return module;
}

std::wstring Module::Path() const {
  std::vector<wchar_t> buffer(MAX_PATH);
  for (;;) {
    DWORD n = GetModuleFileNameW(handle_, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (n == 0) return std::wstring();
    if (n < buffer.size()) return std::wstring(buffer.data(), n);
    buffer.resize(buffer.size() * 2);  // truncated: a long path
  }
}

}  // namespace host::com
