#include "standin/registry.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <stdexcept>

#include "standin/windows1252.h"

namespace standin {

struct Registry::Key {
  std::string name;
  std::vector<std::shared_ptr<Key>> subkeys;  // sorted by folded name
  std::vector<RegistryValue> values;
  // Set when the key is deleted while a handle to it is still open.
  bool deleted = false;

  std::shared_ptr<Key> Subkey(std::string_view wanted) const {
    const std::string folded = FoldCase(wanted);
    for (const auto& key : subkeys) {
      if (FoldCase(key->name) == folded) return key;
    }
    return nullptr;
  }

  std::shared_ptr<Key> AddSubkey(std::string_view wanted) {
    if (auto existing = Subkey(wanted)) return existing;
    auto key = std::make_shared<Key>();
    key->name = std::string(wanted);
    const std::string folded = FoldCase(wanted);
    auto at = std::find_if(subkeys.begin(), subkeys.end(), [&](const auto& k) { return FoldCase(k->name) > folded; });
    subkeys.insert(at, key);
    return key;
  }

  void MarkDeleted() {
    deleted = true;
    for (const auto& sub : subkeys) sub->MarkDeleted();
  }

  RegistryValue* Value(std::string_view wanted) {
    const std::string folded = FoldCase(wanted);
    for (auto& value : values) {
      if (FoldCase(value.name) == folded) return &value;
    }
    return nullptr;
  }
};

namespace {

struct Hive {
  host::HKEY32 handle;
  std::string_view longName;
  std::string_view shortName;
};

constexpr std::array<Hive, 5> kHives = {{
    {host::kHkeyClassesRoot, "HKEY_CLASSES_ROOT", "HKCR"},
    {host::kHkeyCurrentUser, "HKEY_CURRENT_USER", "HKCU"},
    {host::kHkeyLocalMachine, "HKEY_LOCAL_MACHINE", "HKLM"},
    {kHkeyUsers, "HKEY_USERS", "HKU"},
    {kHkeyCurrentConfig, "HKEY_CURRENT_CONFIG", "HKCC"},
}};

std::vector<std::string_view> SplitOnBackslash(std::string_view path) {
  std::vector<std::string_view> parts;
  std::size_t start = 0;
  while (true) {
    const std::size_t end = path.find('\\', start);
    parts.push_back(path.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start));
    if (end == std::string_view::npos) return parts;
    start = end + 1;
  }
}

}  // namespace

KeyPath ParseKeyPath(std::string_view path) {
  auto parts = SplitOnBackslash(path);
  KeyPath result;
  const std::string hive = FoldCase(parts.front());
  for (const auto& h : kHives) {
    if (hive == h.longName || hive == h.shortName) result.hive = h.handle;
  }
  if (result.hive == 0) throw std::invalid_argument("unknown hive in key path \"" + std::string(path) + "\"");
  for (std::size_t i = 1; i < parts.size(); ++i) {
    if (parts[i].empty()) throw std::invalid_argument("empty key name in key path \"" + std::string(path) + "\"");
    result.parts.emplace_back(parts[i]);
  }
  return result;
}

std::string_view HiveName(host::HKEY32 hive) {
  for (const auto& h : kHives) {
    if (h.handle == hive) return h.longName;
  }
  return {};
}

Registry::Registry() {
  for (const auto& h : kHives) {
    auto root = std::make_shared<Key>();
    root->name = std::string(h.longName);
    hives_[h.handle] = root;
  }
}

Registry::~Registry() = default;

std::shared_ptr<Registry::Key> Registry::Find(std::string_view path) const {
  const KeyPath parsed = ParseKeyPath(path);
  std::shared_ptr<Key> key = hives_.at(parsed.hive);
  for (const auto& part : parsed.parts) {
    key = key->Subkey(part);
    if (!key) return nullptr;
  }
  return key;
}

std::shared_ptr<Registry::Key> Registry::FindOrCreate(std::string_view path) {
  const KeyPath parsed = ParseKeyPath(path);
  std::shared_ptr<Key> key = hives_.at(parsed.hive);
  for (const auto& part : parsed.parts) key = key->AddSubkey(part);
  return key;
}

std::shared_ptr<Registry::Key> Registry::Resolve(host::HKEY32 handle) const {
  if (auto hive = hives_.find(handle); hive != hives_.end()) return hive->second;
  if (auto open = handles_.find(handle); open != handles_.end()) return open->second;
  return nullptr;
}

void Registry::CreateKey(std::string_view path) { FindOrCreate(path); }

void Registry::SetValue(std::string_view keyPath, std::string_view name, std::uint32_t type,
                        std::vector<std::uint8_t> data) {
  auto key = FindOrCreate(keyPath);
  if (RegistryValue* existing = key->Value(name)) {
    // Rewriting keeps the value's place and the letter case it was first given.
    existing->type = type;
    existing->data = std::move(data);
    return;
  }
  key->values.push_back(RegistryValue{std::string(name), type, std::move(data)});
}

void Registry::SetString(std::string_view keyPath, std::string_view name, std::string_view ansi, std::uint32_t type,
                         Nul nul) {
  std::vector<std::uint8_t> data(ansi.begin(), ansi.end());
  if (nul == Nul::Terminated) data.push_back(0);
  SetValue(keyPath, name, type, std::move(data));
}

void Registry::SetDword(std::string_view keyPath, std::string_view name, std::uint32_t value) {
  std::vector<std::uint8_t> data(4);
  for (int i = 0; i < 4; ++i) data[i] = static_cast<std::uint8_t>(value >> (8 * i));  // little-endian, as on x86
  SetValue(keyPath, name, host::reg::kRegDword, std::move(data));
}

bool Registry::DeleteValue(std::string_view keyPath, std::string_view name) {
  auto key = Find(keyPath);
  if (!key) return false;
  const std::string folded = FoldCase(name);
  auto at = std::find_if(key->values.begin(), key->values.end(),
                         [&](const RegistryValue& v) { return FoldCase(v.name) == folded; });
  if (at == key->values.end()) return false;
  key->values.erase(at);
  return true;
}

bool Registry::DeleteKey(std::string_view path) {
  const KeyPath parsed = ParseKeyPath(path);
  if (parsed.parts.empty()) throw std::invalid_argument("a hive cannot be deleted: \"" + std::string(path) + "\"");
  std::shared_ptr<Key> parent = hives_.at(parsed.hive);
  for (std::size_t i = 0; i + 1 < parsed.parts.size(); ++i) {
    parent = parent->Subkey(parsed.parts[i]);
    if (!parent) return false;
  }
  auto key = parent->Subkey(parsed.parts.back());
  if (!key) return false;
  key->MarkDeleted();
  std::erase(parent->subkeys, key);
  return true;
}

bool Registry::KeyExists(std::string_view path) const { return Find(path) != nullptr; }

std::optional<RegistryValue> Registry::GetValue(std::string_view keyPath, std::string_view name) const {
  auto key = Find(keyPath);
  if (!key) return std::nullopt;
  if (const RegistryValue* value = key->Value(name)) return *value;
  return std::nullopt;
}

std::vector<RegistryValue> Registry::Values(std::string_view keyPath) const {
  auto key = Find(keyPath);
  if (!key) throw std::out_of_range("no registry key \"" + std::string(keyPath) + "\"");
  return key->values;
}

std::vector<std::string> Registry::SubKeys(std::string_view keyPath) const {
  auto key = Find(keyPath);
  if (!key) throw std::out_of_range("no registry key \"" + std::string(keyPath) + "\"");
  std::vector<std::string> names;
  for (const auto& sub : key->subkeys) names.push_back(sub->name);
  return names;
}

std::int32_t Registry::RegOpenKeyA(host::HKEY32 hKey, const std::string& lpSubKey, host::HKEY32& phkResult) {
  phkResult = 0;
  auto key = Resolve(hKey);
  if (!key) return host::reg::kErrorInvalidHandle;
  if (key->deleted) return reg::kErrorKeyDeleted;
  // An empty subkey hands back the key it was asked below.
  if (lpSubKey.empty()) {
    phkResult = hKey;
    return host::reg::kErrorSuccess;
  }
  auto parts = SplitOnBackslash(lpSubKey);
  if (parts.back().empty()) parts.pop_back();  // a trailing backslash is allowed
  for (const auto& part : parts) {
    if (part.empty()) return reg::kErrorBadPathname;
    key = key->Subkey(part);
    if (!key) return host::reg::kErrorFileNotFound;
  }
  phkResult = nextHandle_;
  nextHandle_ += 4;
  handles_[phkResult] = key;
  return host::reg::kErrorSuccess;
}

std::int32_t Registry::RegQueryValueExA(host::HKEY32 hKey, const std::string& lpValueName, std::uint32_t lpReserved,
                                        std::uint32_t& lpType, std::uint8_t* lpData, std::uint32_t& lpcbData) {
  auto key = Resolve(hKey);
  if (!key) return host::reg::kErrorInvalidHandle;
  if (key->deleted) return reg::kErrorKeyDeleted;
  if (lpReserved != 0) return reg::kErrorInvalidParameter;
  const RegistryValue* value = key->Value(lpValueName);
  if (!value) return host::reg::kErrorFileNotFound;
  const auto size = static_cast<std::uint32_t>(value->data.size());
  lpType = value->type;
  const std::uint32_t room = lpcbData;
  lpcbData = size;
  if (!lpData) return host::reg::kErrorSuccess;
  if (room < size) return host::reg::kErrorMoreData;
  if (size != 0) std::memcpy(lpData, value->data.data(), size);
  return host::reg::kErrorSuccess;
}

std::int32_t Registry::RegCloseKey(host::HKEY32 hKey) {
  if (hives_.count(hKey) != 0) return host::reg::kErrorSuccess;  // closing a hive is allowed and does nothing
  return handles_.erase(hKey) != 0 ? host::reg::kErrorSuccess : host::reg::kErrorInvalidHandle;
}

}  // namespace standin
