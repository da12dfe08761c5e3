// The host's add-in list and the order in which it calls add-ins: start-up,
// quit, Connect = False, connection on demand from a clicked menu item, and
// what a crash leaves on the command bars for the next run.
#include <gtest/gtest.h>

#include <functional>

#include "recording_addin.h"
#include "standin/host.h"

namespace {

using standin_test::Log;
using standin_test::RecordingAddIn;
using host::Variant;

constexpr std::uint32_t kAddInFailure = 0x80040777;

class AddInLifecycle : public ::testing::Test {
 protected:
  standin::AddInFactory Factory(const std::string& name, std::function<void(RecordingAddIn&)> setup = {}) {
    return [log = log, name, setup] {
      auto addIn = std::make_shared<RecordingAddIn>(name, log);
      if (setup) setup(*addIn);
      return addIn;
    };
  }

  // A popup "Zarvik" on the main menu bar holding "Tessaly...", whose
  // OnAction names progId.
  static void AddMenuItem(standin::Host& host, const host::Text& progId) {
    auto bar = host.Application()->CommandBars()->Item(u"Menu Bar");
    auto popup = host::TakeAs<host::CommandBarPopup>(bar->Controls()->Add(
        Variant(host::msoControlPopup), Variant::Missing(), Variant::Missing(), Variant::Missing(), Variant::Missing()));
    popup->put_Caption(u"Zarvik");
    auto item = popup->Controls()->Add(Variant(host::msoControlButton), Variant::Missing(), Variant::Missing(),
                                       Variant::Missing(), Variant::Missing());
    item->put_Caption(u"Tessaly...");
    item->put_OnAction(u"!<" + progId + u">");
  }

  std::shared_ptr<Log> log = std::make_shared<Log>();
  const std::vector<host::Text> tessaly{u"Zarvik", u"Tessaly..."};
  const std::vector<host::Text> hook{u"Zarvik", u"Tessaly..."};
};

TEST_F(AddInLifecycle, StartConnectsStartUpAddInsAndQuitShutsEveryOneDownBeforeReleasing) {
  const auto before = standin::LiveObjects();
  {
    standin::Host host;
    host.RegisterAddIn(u"a.Connect", u"A", u"first", 3, Factory("A"));
    host.RegisterAddIn(u"b.Connect", u"B", u"on demand", 9, Factory("B"));
    host.RegisterAddIn(u"c.Connect", u"C", u"second", 3, Factory("C"));
    host.Start();
    EXPECT_EQ(*log, (Log{"A OnConnection 1", "C OnConnection 1", "A OnStartupComplete", "C OnStartupComplete"}));
    EXPECT_TRUE(host.IsConnected(u"a.Connect"));
    EXPECT_FALSE(host.IsConnected(u"b.Connect"));

    log->clear();
    host.Quit();
    EXPECT_EQ(*log, (Log{"A OnBeginShutdown", "C OnBeginShutdown", "A OnDisconnection 0", "C OnDisconnection 0",
                         "A released", "C released"}));
    EXPECT_FALSE(host.Running());
    EXPECT_TRUE(host.Failures().empty());
  }
  EXPECT_EQ(standin::LiveObjects(), before);
}

TEST_F(AddInLifecycle, AFailingConnectionLeavesThatAddInReleasedAndTheHostGoesOn) {
  standin::Host host;
  host.RegisterAddIn(u"a.Connect", u"A", u"", 3, Factory("A", [](auto& a) { a.failConnection = kAddInFailure; }));
  host.RegisterAddIn(u"c.Connect", u"C", u"", 3, Factory("C"));
  host.Start();

  EXPECT_EQ(*log, (Log{"A OnConnection 1", "A released", "C OnConnection 1", "C OnStartupComplete"}));
  EXPECT_FALSE(host.IsConnected(u"a.Connect"));
  ASSERT_EQ(host.Failures().size(), 1u);
  EXPECT_EQ(host.Failures()[0].where, "a.Connect OnConnection");
  EXPECT_EQ(host.Failures()[0].code, kAddInFailure);

  // Asked to connect by code, the same failure reaches the caller.
  auto record = host.Application()->COMAddIns()->Item(u"a.Connect");
  try {
    record->put_Connect(host::True);
    FAIL() << "a failing connection reported success";
  } catch (const host::Error& e) {
    EXPECT_EQ(e.code(), kAddInFailure);
  }
  EXPECT_EQ(record->Connect(), host::False);
}

TEST_F(AddInLifecycle, ConnectFalseCallsOnDisconnectionThenTheInstanceEventThenReleases) {
  standin::Host host;
  host.RegisterAddIn(u"Mapnote.Connect", u"Zarvik Tessaly", u"Tessaly", 9, Factory("M"));
  host.Start();
  auto addIns = host.Application()->COMAddIns();
  EXPECT_EQ(addIns->Count(), 1);
  // ProgIDs are matched as COM matches them, in any case.
  auto record = addIns->Item(u"mapnote.connect");
  EXPECT_EQ(record->ProgId(), u"Mapnote.Connect");
  EXPECT_EQ(record->Connect(), host::False);

  record->put_Connect(host::True);
  EXPECT_EQ(record->Connect(), host::True);
  record->put_Connect(host::False);
  EXPECT_EQ(record->Connect(), host::False);
  EXPECT_EQ(*log, (Log{"M OnConnection 0", "M OnDisconnection 1", "M AddInInstance_OnDisconnection 1", "M released"}));

  // Setting it False again has nothing left to disconnect.
  record->put_Connect(host::False);
  EXPECT_EQ(log->size(), 4u);
}

TEST_F(AddInLifecycle, TheAddInListRefusesUnknownEntries) {
  standin::Host host;
  host.RegisterAddIn(u"a.Connect", u"A", u"", 9, Factory("A"));
  auto addIns = host.Application()->COMAddIns();
  for (const auto& index : {Variant(u"b.Connect"), Variant(0), Variant(2)}) {
    try {
      addIns->Item(index);
      ADD_FAILURE() << "an unknown add-in was found";
    } catch (const host::Error& e) {
      EXPECT_EQ(e.code(), host::code::SubscriptOutOfRange);
    }
  }
  EXPECT_EQ(addIns->Item(1)->ProgId(), u"a.Connect");
  EXPECT_THROW(host.RegisterAddIn(u"A.CONNECT", u"A", u"", 9, Factory("A")), std::invalid_argument);
}

TEST_F(AddInLifecycle, AClickConnectsTheAddInOfItsOnActionThenReachesEveryReceiver) {
  standin::Host host;
  AddMenuItem(host, u"b.Connect");
  host.RegisterAddIn(u"a.Connect", u"A", u"", 3, Factory("A", [&](auto& a) { a.hookPath = hook; }));
  host.RegisterAddIn(u"b.Connect", u"B", u"", 9, Factory("B", [&](auto& b) { b.hookPath = hook; }));
  host.Start();
  log->clear();

  host.Click(tessaly);
  EXPECT_EQ(*log, (Log{"B OnConnection 0", "A Click Tessaly...", "A Click done", "B Click Tessaly...", "B Click done"}));

  log->clear();
  host.Click(tessaly);  // connected already: only the click
  EXPECT_EQ(*log, (Log{"A Click Tessaly...", "A Click done", "B Click Tessaly...", "B Click done"}));
}

TEST_F(AddInLifecycle, ExecuteRunsAControlAsTheAuthorsClickDoes) {
  standin::Host host;
  AddMenuItem(host, u"b.Connect");
  host.RegisterAddIn(u"b.Connect", u"B", u"", 9, Factory("B", [&](auto& b) { b.hookPath = hook; }));
  host.Start();
  auto popup = host::TakeAs<host::CommandBarPopup>(
      host.Application()->CommandBars()->Item(u"Menu Bar")->Controls()->Item(u"Zarvik"));
  popup->Controls()->Item(u"Tessaly...")->Execute();
  EXPECT_EQ(*log, (Log{"B OnConnection 0", "B Click Tessaly...", "B Click done"}));
  popup->Execute();  // opening a menu runs nothing
  EXPECT_EQ(log->size(), 3u);
}

TEST_F(AddInLifecycle, AnAddInThatDisconnectsItselfInItsClickLivesUntilTheClickReturns) {
  standin::Host host;
  AddMenuItem(host, u"b.Connect");
  host.RegisterAddIn(u"b.Connect", u"B", u"", 9, Factory("B", [&](auto& b) {
    b.hookPath = hook;
    b.disconnectOnClick = true;
  }));
  host.Start();

  host.Click(tessaly);
  EXPECT_EQ(*log, (Log{"B OnConnection 0", "B Click Tessaly...", "B OnDisconnection 1",
                       "B AddInInstance_OnDisconnection 1", "B Click done", "B released"}));
  EXPECT_FALSE(host.IsConnected(u"b.Connect"));

  // The next click connects a new instance.
  log->clear();
  host.Click(tessaly);
  EXPECT_EQ(log->front(), "B OnConnection 0");
  EXPECT_TRUE(host.Failures().empty());
}

TEST_F(AddInLifecycle, FailuresOfAClickReachTheHostAndTheOtherReceiversStillGetIt) {
  standin::Host host;
  AddMenuItem(host, u"missing.Connect");
  host.RegisterAddIn(u"a.Connect", u"A", u"", 3, Factory("A", [&](auto& a) {
    a.hookPath = hook;
    a.failClick = host::code::SubscriptOutOfRange;
  }));
  host.RegisterAddIn(u"c.Connect", u"C", u"", 3, Factory("C", [&](auto& c) { c.hookPath = hook; }));
  host.Start();
  log->clear();

  host.Click(tessaly);
  EXPECT_EQ(*log, (Log{"A Click Tessaly...", "C Click Tessaly...", "C Click done"}));
  ASSERT_EQ(host.Failures().size(), 2u);
  EXPECT_EQ(host.Failures()[0].where, "missing.Connect not registered");
  EXPECT_EQ(host.Failures()[1].where, "Click Tessaly...");
  EXPECT_EQ(host.Failures()[1].code, host::code::SubscriptOutOfRange);
}

TEST_F(AddInLifecycle, ACrashLeavesTheBarsToTheNextRunWithoutTheRunsTemporaryControlsOrReceivers) {
  const auto before = standin::LiveObjects();
  auto bars = std::make_shared<standin::CommandBarStore>();
  host::Ref<host::CommandBars> stale;
  {
    standin::Host host(bars);
    AddMenuItem(host, u"a.Connect");
    auto popup = host::TakeAs<host::CommandBarPopup>(
        host.Application()->CommandBars()->Item(u"Menu Bar")->Controls()->Item(u"Zarvik"));
    popup->Controls()
        ->Add(Variant(host::msoControlButton), Variant::Missing(), Variant::Missing(), Variant::Missing(), host::True)
        ->put_Caption(u"Temporary");
    host.RegisterAddIn(u"a.Connect", u"A", u"", 3, Factory("A", [&](auto& a) { a.hookPath = hook; }));
    host.Start();
    EXPECT_THROW(standin::Host second(bars), std::logic_error);  // one running host per set of bars
    stale = host.Application()->CommandBars();
    log->clear();
    host.Crash();
    EXPECT_EQ(*log, (Log{"A released"}));  // no shutdown call
  }

  // What the crashed run handed out no longer works.
  try {
    stale->Item(u"Menu Bar");
    ADD_FAILURE() << "a bar of a crashed run answered";
  } catch (const host::Error& e) {
    EXPECT_EQ(e.code(), standin::kHostFailure);
  }
  stale.reset();

  {
    standin::Host next(bars);
    EXPECT_EQ(next.MenuCaptions({u"Zarvik"}), std::vector<host::Text>{u"Tessaly..."});
    log->clear();
    next.Click(tessaly);  // the crashed run's receiver is gone; its add-in is not registered here
    EXPECT_TRUE(log->empty());
    ASSERT_EQ(next.Failures().size(), 1u);
    EXPECT_EQ(next.Failures()[0].where, "a.Connect not registered");
  }
  bars.reset();
  EXPECT_EQ(standin::LiveObjects(), before);
}

}  // namespace
