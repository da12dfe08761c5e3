#include "installed_host.h"

#include <gtest/gtest.h>

#include "mapnote/connect.h"
#include "zarvik/connect.h"

namespace lifecycle {

Machine::Machine() {
  standin::WriteAddInEntry(registry, {u"zarvik.Connect", u"Zarvik Support", u"Support Add-in for Zarvik Add-ins", 3});
  standin::WriteAddInEntry(registry, {u"Mapnote.Connect", u"Zarvik Tessaly", u"Tessaly", 9});
  registry.SetString(kMenuEntriesKey, "1", "Mapnote,Tessaly...");
  for (int i = 2; i <= 25; ++i) {
    const std::string n = std::to_string(i);
    registry.SetString(kMenuEntriesKey, n, "Tool" + n + ",Tool " + n + "...");
  }
}

std::vector<host::Text> Machine::MenuCaptions() {
  std::vector<host::Text> captions = {u"Tessaly..."};
  for (int i = 2; i <= 25; ++i) captions.push_back(u"Tool " + host::Decimal(i) + u"...");
  return captions;
}

InstalledHost::InstalledHost(Machine& machine, Start start)
    : host(machine.bars),
      zarvikLibrary{host.Globals(), machine.registry, codePage},
      mapnoteLibrary(host.Globals(), host.Boxes(), host.Toolkit(), host.Windows()) {
  classes.Register(u"zarvik.Connect", [this] { return std::make_shared<zarvik::Connect>(zarvikLibrary); });
  classes.Register(u"Mapnote.Connect", [this] { return std::make_shared<mapnote::Connect>(mapnoteLibrary); });
  standin::LoadAddInEntries(host, machine.registry, classes);
  if (start == Start::Now) host.Start();
}

InstalledHost::~InstalledHost() {
  if (host.Running()) host.Quit();
}

std::optional<standin::HeadlessForm> InstalledHost::ShownDialog() {
  auto form = host.Toolkit().FindForm(kDialogTitle);
  if (form && form->Visible()) return form;
  return std::nullopt;
}

std::vector<std::uint32_t> InstalledHost::FailureCodes() {
  std::vector<std::uint32_t> codes;
  for (const auto& failure : host.Failures()) codes.push_back(failure.code);
  for (const auto& failure : host.Toolkit().Failures()) codes.push_back(failure.code);
  return codes;
}

void InstalledHost::ExpectNoFailures() {
  for (const auto& f : host.Failures()) ADD_FAILURE() << f.where << " failed with " << std::hex << f.code;
  for (const auto& f : host.Toolkit().Failures()) ADD_FAILURE() << f.event << " failed with " << std::hex << f.code;
}

}  // namespace lifecycle
