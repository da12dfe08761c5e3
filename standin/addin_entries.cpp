#include "standin/addin_entries.h"

#include <string>

#include "standin/windows1252.h"

namespace standin {
namespace {

std::string FoldedProgId(const host::Text& progId) { return FoldCase(Windows1252().FromUtf16(progId)); }

host::Text ReadText(const Registry& registry, const std::string& key, const char* name) {
  const auto value = registry.GetValue(key, name);
  if (!value || value->type != host::reg::kRegSz) return {};
  std::string ansi(value->data.begin(), value->data.end());
  ansi.resize(ansi.find('\0') == std::string::npos ? ansi.size() : ansi.find('\0'));
  return Windows1252().ToUtf16(ansi);
}

std::uint32_t ReadDword(const Registry& registry, const std::string& key, const char* name) {
  const auto value = registry.GetValue(key, name);
  if (!value || value->type != host::reg::kRegDword || value->data.size() != 4) return 0;
  const auto& d = value->data;
  return d[0] | d[1] << 8 | d[2] << 16 | static_cast<std::uint32_t>(d[3]) << 24;
}

}  // namespace

void ClassRegistry::Register(const host::Text& progId, AddInFactory factory) {
  factories_[FoldedProgId(progId)] = std::move(factory);
}

const AddInFactory* ClassRegistry::Find(const host::Text& progId) const {
  const auto found = factories_.find(FoldedProgId(progId));
  return found == factories_.end() ? nullptr : &found->second;
}

void WriteAddInEntry(Registry& registry, const AddInEntry& entry) {
  Windows1252 codePage;
  const std::string key = std::string(kAddInEntriesKey) + "\\" + codePage.FromUtf16(entry.progId);
  registry.SetString(key, "FriendlyName", codePage.FromUtf16(entry.friendlyName));
  registry.SetString(key, "Description", codePage.FromUtf16(entry.description));
  registry.SetDword(key, "LoadBehavior", entry.loadBehavior);
}

std::vector<AddInEntry> ReadAddInEntries(const Registry& registry) {
  std::vector<AddInEntry> entries;
  if (!registry.KeyExists(kAddInEntriesKey)) return entries;
  for (const auto& progId : registry.SubKeys(kAddInEntriesKey)) {
    const std::string key = std::string(kAddInEntriesKey) + "\\" + progId;
    entries.push_back({Windows1252().ToUtf16(progId), ReadText(registry, key, "FriendlyName"),
                       ReadText(registry, key, "Description"), ReadDword(registry, key, "LoadBehavior")});
  }
  return entries;
}

void LoadAddInEntries(Host& host, const Registry& registry, const ClassRegistry& classes) {
  for (const auto& entry : ReadAddInEntries(registry)) {
    const AddInFactory* known = classes.Find(entry.progId);
    AddInFactory factory = known ? *known : AddInFactory([]() -> std::shared_ptr<host::IDTExtensibility2> {
      throw host::Error(kClassNotRegistered);
    });
    host.RegisterAddIn(entry.progId, entry.friendlyName, entry.description,
                       static_cast<std::int32_t>(entry.loadBehavior), std::move(factory));
  }
}

}  // namespace standin
