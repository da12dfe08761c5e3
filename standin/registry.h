#pragma once
// The stand-in registry: a tree of keys with typed values, reached by the
// add-ins through the advapi32 port and by tests through the writes below.
// Names compare without regard to case, as Windows compares them. Values
// are held as the bytes a Windows registry hands to the 8-bit calls: text in
// the ANSI code page (Windows-1252), with or without a terminating NUL.
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "host/advapi32.h"

namespace standin {

namespace reg {
inline constexpr std::int32_t kErrorInvalidParameter = 87;
inline constexpr std::int32_t kErrorBadPathname = 161;
inline constexpr std::int32_t kErrorKeyDeleted = 1018;
}  // namespace reg

inline constexpr host::HKEY32 kHkeyUsers = 0x80000003;
inline constexpr host::HKEY32 kHkeyCurrentConfig = 0x80000005;

struct RegistryValue {
  std::string name;  // empty for the key's default value
  std::uint32_t type = host::reg::kRegNone;
  std::vector<std::uint8_t> data;
  friend bool operator==(const RegistryValue&, const RegistryValue&) = default;
};

// A key path as tests and .reg files write it: a hive, long
// ("HKEY_CURRENT_USER") or short ("HKCU"), then the subkeys.
struct KeyPath {
  host::HKEY32 hive = 0;
  std::vector<std::string> parts;
};
// Throws std::invalid_argument for an unknown hive or an empty part.
KeyPath ParseKeyPath(std::string_view path);
// "HKEY_CURRENT_USER" and so on; empty for a handle that is no hive.
std::string_view HiveName(host::HKEY32 hive);

enum class Nul { Terminated, Unterminated };

class Registry : public host::Advapi32 {
 public:
  Registry();
  ~Registry();
  Registry(const Registry&) = delete;
  Registry& operator=(const Registry&) = delete;

  // Writes create the keys they need. A bad path throws std::invalid_argument.
  void CreateKey(std::string_view path);
  void SetValue(std::string_view keyPath, std::string_view name, std::uint32_t type, std::vector<std::uint8_t> data);
  // `ansi` is text in the ANSI code page; REG_SZ, REG_EXPAND_SZ or any other type.
  void SetString(std::string_view keyPath, std::string_view name, std::string_view ansi,
                 std::uint32_t type = host::reg::kRegSz, Nul nul = Nul::Terminated);
  void SetDword(std::string_view keyPath, std::string_view name, std::uint32_t value);
  // Both return false when there was nothing to delete.
  bool DeleteValue(std::string_view keyPath, std::string_view name);
  bool DeleteKey(std::string_view path);  // with everything below it; a hive cannot go

  bool KeyExists(std::string_view path) const;
  std::optional<RegistryValue> GetValue(std::string_view keyPath, std::string_view name) const;
  // A missing key throws std::out_of_range, so that "no values" is never
  // mistaken for "no key".
  std::vector<RegistryValue> Values(std::string_view keyPath) const;  // in the order first written
  std::vector<std::string> SubKeys(std::string_view keyPath) const;   // sorted without regard to case
  // Keys opened through RegOpenKeyA and not closed yet.
  std::size_t OpenHandles() const { return handles_.size(); }

  std::int32_t RegOpenKeyA(host::HKEY32 hKey, const std::string& lpSubKey, host::HKEY32& phkResult) override;
  std::int32_t RegQueryValueExA(host::HKEY32 hKey, const std::string& lpValueName, std::uint32_t lpReserved,
                                std::uint32_t& lpType, std::uint8_t* lpData, std::uint32_t& lpcbData) override;
  std::int32_t RegCloseKey(host::HKEY32 hKey) override;

 private:
  struct Key;
  std::shared_ptr<Key> Find(std::string_view path) const;
  std::shared_ptr<Key> FindOrCreate(std::string_view path);
  // The key a handle stands for: a hive or an open key; null for neither.
  std::shared_ptr<Key> Resolve(host::HKEY32 handle) const;

  std::map<host::HKEY32, std::shared_ptr<Key>> hives_;
  std::map<host::HKEY32, std::shared_ptr<Key>> handles_;
  host::HKEY32 nextHandle_ = 0x1000;
};

}  // namespace standin
