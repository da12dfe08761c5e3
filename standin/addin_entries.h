#pragma once
// The host's add-in entries in the registry, as registration writes them and
// as the host reads them when it starts: one key per ProgID under
// HKEY_CURRENT_USER\Software\Microsoft\Office\FrontPage\Addins, holding
// FriendlyName and Description (strings) and LoadBehavior (a DWORD).
#include <cstdint>
#include <map>
#include <vector>

#include "host/text.h"
#include "standin/host.h"
#include "standin/registry.h"

namespace standin {

inline constexpr const char* kAddInEntriesKey = "HKEY_CURRENT_USER\\Software\\Microsoft\\Office\\FrontPage\\Addins";

// REGDB_E_CLASSNOTREG: what creating an object of an unregistered class gives.
inline constexpr std::uint32_t kClassNotRegistered = 0x80040154;

// The classes the stand-in can create, by ProgID, as COM resolves a ProgID
// to a class: without regard to case.
class ClassRegistry {
 public:
  void Register(const host::Text& progId, AddInFactory factory);
  // Null for a ProgID no class is registered under.
  const AddInFactory* Find(const host::Text& progId) const;

 private:
  std::map<std::string, AddInFactory> factories_;  // by folded ANSI ProgID
};

struct AddInEntry {
  host::Text progId;
  host::Text friendlyName;
  host::Text description;
  std::uint32_t loadBehavior = 0;
  friend bool operator==(const AddInEntry&, const AddInEntry&) = default;
};

// Records an add-in for the host, as its registration does.
void WriteAddInEntry(Registry& registry, const AddInEntry& entry);

// The entries in the order of their keys. A missing or mistyped value reads
// as empty text, or as load behaviour 0 (not loaded).
std::vector<AddInEntry> ReadAddInEntries(const Registry& registry);

// Puts every entry into the host's add-in list; call it before Start(). An
// entry whose class is unknown is listed all the same, and creating it fails
// with kClassNotRegistered when the host connects it, as with COM.
void LoadAddInEntries(Host& host, const Registry& registry, const ClassRegistry& classes);

}  // namespace standin
