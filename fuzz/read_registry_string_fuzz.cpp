// ReadRegistryString over a value of any type and any bytes: an empty
// variant for anything but a string, otherwise the text up to the first NUL,
// or an overflow when that NUL lies past position 32,767; never an open key
// left behind.
//
// Input: one byte choosing whether the key and the value exist, four bytes of
// value type (little-endian), then the value's bytes.
#include <cstdint>
#include <cstring>
#include <string>

#include "fuzz/fuzz_check.h"
#include "host/error.h"
#include "standin/registry.h"
#include "standin/windows1252.h"
#include "zarvik/mod_registry.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 5) return 0;
  const std::uint8_t presence = data[0] % 3;  // 0: no key, 1: no value, 2: the value
  std::uint32_t type = 0;
  std::memcpy(&type, data + 1, 4);
  const std::string bytes(reinterpret_cast<const char*>(data + 5), size - 5);

  standin::Registry registry;
  standin::Windows1252 codePage;
  const char* key = "HKEY_CURRENT_USER\\SOFTWARE\\Zarvik\\Add-ins";
  if (presence >= 1) registry.CreateKey(key);
  if (presence == 2) registry.SetValue(key, "7", type, {bytes.begin(), bytes.end()});

  host::Variant result;
  bool overflowed = false;
  try {
    result = zarvik::ReadRegistryString(registry, codePage, host::kHkeyCurrentUser, u"SOFTWARE\\Zarvik\\Add-ins", u"7");
  } catch (const host::Error& e) {
    FUZZ_REQUIRE(e.code() == host::code::Overflow);
    overflowed = true;
  }
  FUZZ_REQUIRE(registry.OpenHandles() == 0);

  if (presence < 2 || type != host::reg::kRegSz) {
    FUZZ_REQUIRE(!overflowed && result.IsEmpty());
    return 0;
  }
  const std::size_t nul = bytes.find('\0');
  if (nul != std::string::npos && nul + 1 > 32767) {
    FUZZ_REQUIRE(overflowed);
    return 0;
  }
  FUZZ_REQUIRE(!overflowed && !result.IsEmpty());
  FUZZ_REQUIRE(result.ToText() == codePage.ToUtf16(bytes.substr(0, nul)));
  return 0;
}
