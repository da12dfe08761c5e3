#include "zarvik/mod_registry.h"

#include <string>

#include "host/int16.h"

namespace zarvik {
namespace {

// Closes the opened key on every way out, the overflow included: each call
// opens the key anew, so a handle kept would be a handle leaked.
class OpenedKey {
 public:
  explicit OpenedKey(host::Advapi32& advapi32) : advapi32_(advapi32) {}
  ~OpenedKey() {
    if (handle != 0) advapi32_.RegCloseKey(handle);
  }
  OpenedKey(const OpenedKey&) = delete;
  OpenedKey& operator=(const OpenedKey&) = delete;

  host::HKEY32 handle = 0;

 private:
  host::Advapi32& advapi32_;
};

}  // namespace

host::Variant ReadRegistryString(host::Advapi32& advapi32, host::AnsiCodePage& codePage, const host::HKEY32& hKey,
                                 const host::Text& sSubKey, const host::Text& sValueName) {
  const std::string subKey = codePage.FromUtf16(sSubKey);
  const std::string valueName = codePage.FromUtf16(sValueName);

  // A key that does not open stays 0, and both queries then fail.
  OpenedKey key(advapi32);
  advapi32.RegOpenKeyA(hKey, subKey, key.handle);

  std::uint32_t type = 0;
  std::uint32_t size = 0;
  advapi32.RegQueryValueExA(key.handle, valueName, 0, type, nullptr, size);
  // One test for a key that did not open, a missing value and a non-string value.
  if (type != host::reg::kRegSz) return {};

  std::string buffer(size, ' ');
  std::uint32_t scratchType = 0;
  if (advapi32.RegQueryValueExA(key.handle, valueName, 0, scratchType, reinterpret_cast<std::uint8_t*>(buffer.data()),
                                size) != host::reg::kErrorSuccess) {
    return {};  // removed, or grown, since the first query
  }

  const host::Text text = codePage.ToUtf16(buffer);
  const std::size_t nul = text.find(u'\0');
  const host::Int16 position = host::Int16::From(nul == host::Text::npos ? 0 : static_cast<std::int64_t>(nul) + 1);
  if (position.value() == 0) return text;
  return host::Text(text, 0, static_cast<std::size_t>(position.value() - 1));
}

}  // namespace zarvik
