// The host's add-in list as the stand-in host reads it from the registry.
#include "standin/addin_entries.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "standin/reg_file.h"
#include "standin/windows1252.h"
#include "tests/support/installed_reg.h"
#include "zarvik/connect.h"
#include "zarvik/prog_id.h"

namespace {

using host::Text;
using standin::AddInEntry;

// Records the connection calls it gets, in order, into a log shared by all.
class RecordingAddIn : public host::IDTExtensibility2 {
 public:
  RecordingAddIn(std::vector<std::string>& log, std::string name) : log_(log), name_(std::move(name)) {}
  void OnConnection(const host::Ref<host::Object>&, host::ext_ConnectMode mode, const host::Ref<host::Object>&,
                    host::Custom&) override {
    log_.push_back(name_ + " OnConnection " + std::to_string(static_cast<int>(mode)));
  }
  void OnDisconnection(host::ext_DisconnectMode, host::Custom&) override { log_.push_back(name_ + " OnDisconnection"); }
  void OnAddInsUpdate(host::Custom&) override { log_.push_back(name_ + " OnAddInsUpdate"); }
  void OnStartupComplete(host::Custom&) override { log_.push_back(name_ + " OnStartupComplete"); }
  void OnBeginShutdown(host::Custom&) override { log_.push_back(name_ + " OnBeginShutdown"); }

 private:
  std::vector<std::string>& log_;
  std::string name_;
};

standin::AddInFactory Recording(std::vector<std::string>& log, std::string name) {
  return [&log, name] { return std::make_shared<RecordingAddIn>(log, name); };
}

TEST(AddInEntries, RegistrationWritesWhatTheHostReadsAndAnInstallersRegFileDoesTheSame) {
  standin::Registry written, imported;
  standin::WriteAddInEntry(written, {u"zarvik.Connect", u"Zarvik Support", u"Support Add-in for Zarvik Add-ins", 3});
  standin::WriteAddInEntry(written, {u"Mapnote.Connect", u"Zarvik Tessaly", u"Tessaly", 9});
  standin::ImportReg(imported, tests::kAddInEntriesReg);
  const std::vector<AddInEntry> expected = {{u"Mapnote.Connect", u"Zarvik Tessaly", u"Tessaly", 9},
                                            {u"zarvik.Connect", u"Zarvik Support", u"Support Add-in for Zarvik Add-ins", 3}};
  EXPECT_EQ(standin::ReadAddInEntries(written), expected);
  EXPECT_EQ(standin::ReadAddInEntries(imported), expected);
}

TEST(AddInEntries, MistypedValuesReadAsEmptyAndNotLoaded) {
  standin::Registry registry;
  const std::string key = std::string(standin::kAddInEntriesKey) + "\\Odd.Connect";
  registry.SetString(key, "LoadBehavior", "3");  // a string, not a DWORD
  registry.SetDword(key, "FriendlyName", 1);
  EXPECT_EQ(standin::ReadAddInEntries(registry), (std::vector<AddInEntry>{{u"Odd.Connect", u"", u"", 0}}));
  EXPECT_TRUE(standin::ReadAddInEntries(standin::Registry()).empty());
}

TEST(AddInEntries, StartConnectsLoadBehaviourThreeAndAClickConnectsNineOnDemand) {
  standin::Registry registry;
  standin::Windows1252 codePage;
  standin::Host host;
  zarvik::LibraryContext library{host.Globals(), registry, codePage};
  std::vector<std::string> log;

  standin::ClassRegistry classes;
  classes.Register(zarvik::ConnectProgId, [&] { return std::make_shared<zarvik::Connect>(library); });
  classes.Register(u"Demand.Connect", Recording(log, "demand"));
  classes.Register(u"Startup.Connect", Recording(log, "startup"));
  standin::WriteAddInEntry(registry, {zarvik::ConnectProgId, u"Zarvik Support", u"", 3});
  standin::WriteAddInEntry(registry, {u"Demand.Connect", u"Demand", u"", 9});
  standin::WriteAddInEntry(registry, {u"Startup.Connect", u"Startup", u"", 3});
  registry.SetString("HKCU\\SOFTWARE\\Zarvik\\Add-ins", "1", "Demand,Demand...");

  standin::LoadAddInEntries(host, registry, classes);
  host.Start();
  EXPECT_TRUE(host.IsConnected(zarvik::ConnectProgId));
  EXPECT_TRUE(host.IsConnected(u"Startup.Connect"));
  EXPECT_FALSE(host.IsConnected(u"Demand.Connect"));
  EXPECT_EQ(log, (std::vector<std::string>{"startup OnConnection 1", "startup OnStartupComplete"}));

  host.Click({u"Zarvik", u"Demand..."});
  EXPECT_TRUE(host.IsConnected(u"Demand.Connect"));
  EXPECT_EQ(log.at(2), "demand OnConnection 0");  // after start-up

  log.clear();
  host.Quit();
  EXPECT_TRUE(host.Failures().empty());
  EXPECT_FALSE(host.HasMenuItem({u"Zarvik"}));
  std::sort(log.begin(), log.end());
  EXPECT_EQ(log, (std::vector<std::string>{"demand OnBeginShutdown", "demand OnDisconnection",
                                           "startup OnBeginShutdown", "startup OnDisconnection"}));
}

TEST(AddInEntries, AnEntryWithoutAClassFailsToConnectAndTheHostGoesOn) {
  standin::Registry registry;
  standin::Host host;
  std::vector<std::string> log;
  standin::ClassRegistry classes;
  classes.Register(u"Startup.Connect", Recording(log, "startup"));
  standin::WriteAddInEntry(registry, {u"Gone.Connect", u"Uninstalled", u"", 3});
  standin::WriteAddInEntry(registry, {u"Startup.Connect", u"Startup", u"", 3});

  standin::LoadAddInEntries(host, registry, classes);
  host.Start();
  EXPECT_FALSE(host.IsConnected(u"Gone.Connect"));
  EXPECT_TRUE(host.IsConnected(u"Startup.Connect"));
  ASSERT_EQ(host.Failures().size(), 1u);
  EXPECT_EQ(host.Failures()[0].code, standin::kClassNotRegistered);
}

}  // namespace
