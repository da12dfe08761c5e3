// The shared popup "Zarvik" as the stand-in host shows it across host runs.
#include "zarvik/connect.h"

#include <gtest/gtest.h>

#include <memory>

#include "standin/host.h"
#include "standin/registry.h"
#include "standin/windows1252.h"
#include "zarvik/prog_id.h"

namespace {

using host::Deref;
using host::Text;
using host::Variant;

constexpr const char* AddIns = "HKEY_CURRENT_USER\\SOFTWARE\\Zarvik\\Add-ins";

struct Item {
  Text caption, tag, parameter, onAction;
  std::int32_t type = 0;
  friend bool operator==(const Item&, const Item&) = default;
};

std::ostream& operator<<(std::ostream& out, const Item& item) {
  return out << "{" << host::ToUtf8(item.caption) << " | " << host::ToUtf8(item.tag) << " | "
             << host::ToUtf8(item.parameter) << " | " << host::ToUtf8(item.onAction) << " | " << item.type << "}";
}

Item Button(const Text& caption, const Text& prefix) {
  return {caption, prefix, prefix, u"!<" + prefix + u".Connect>", host::msoControlButton};
}

// Host runs over one registry and one set of command bars, which outlive
// each run as they would on a real machine.
class ZarvikMenu : public ::testing::Test {
 protected:
  ~ZarvikMenu() override {
    if (host && host->Running()) host->Quit();
  }

  void StartHost() {
    host = std::make_unique<standin::Host>(bars);
    library = std::make_unique<zarvik::LibraryContext>(zarvik::LibraryContext{host->Globals(), registry, codePage});
    host->RegisterAddIn(zarvik::ConnectProgId, u"Zarvik Support", u"Support Add-in for Zarvik Add-ins", 3, [this] {
      auto connect = std::make_shared<zarvik::Connect>(*library);
      connected = connect;
      return connect;
    });
    host->Start();
  }

  void Entry(const char* number, const char* text) { registry.SetString(AddIns, number, text); }

  host::Ref<host::CommandBarControls> MenuBarControls() {
    return Deref(Deref(host->Application()->CommandBars()).Item(Text(u"Menu Bar"))).Controls();
  }

  host::Ref<host::CommandBarPopup> Popup() {
    return host::TakeAs<host::CommandBarPopup>(Deref(MenuBarControls()).Item(Text(u"Zarvik")));
  }

  std::vector<Item> PopupItems() {
    auto items = Deref(Popup()).Controls();
    std::vector<Item> result;
    for (std::int32_t i = 1; i <= items->Count(); ++i) {
      const auto c = items->Item(Variant(i));
      result.push_back({Deref(c).Caption(), c->Tag(), c->Parameter(), c->OnAction(), c->Type()});
    }
    return result;
  }

  std::vector<standin::HostFailure> Failures() const { return host->Failures(); }

  standin::Registry registry;
  standin::Windows1252 codePage;
  std::shared_ptr<standin::CommandBarStore> bars = std::make_shared<standin::CommandBarStore>();
  std::unique_ptr<standin::Host> host;
  std::unique_ptr<zarvik::LibraryContext> library;
  std::weak_ptr<zarvik::Connect> connected;
};

TEST_F(ZarvikMenu, TheMapnoteEntryGivesItsButtonInAPopupLastOnTheMenuBar) {
  Entry("1", "Mapnote,Tessaly...");
  StartHost();
  EXPECT_TRUE(Failures().empty());
  EXPECT_EQ(host->MenuCaptions({}).back(), u"Zarvik");
  auto popup = Popup();
  EXPECT_EQ(popup->Tag(), u"Zarvik");
  EXPECT_EQ(popup->Type(), host::msoControlPopup);
  EXPECT_EQ(PopupItems(), std::vector<Item>{Button(u"Tessaly...", u"Mapnote")});
}

TEST_F(ZarvikMenu, EntriesOneToTwentyFiveAreReadInOrderAndGapsDoNotEndTheList) {
  Entry("3", "Third,Three");
  Entry("1", "First,One");
  Entry("25", "Last,Twenty-five");
  // Never read: other numbers, and other spellings of the numbers.
  Entry("0", "Zero,Zero");
  Entry("26", "Past,Twenty-six");
  Entry("01", "Padded,Padded");
  Entry("+2", "Signed,Signed");
  registry.SetString(AddIns, "2", "Expandable,Two", host::reg::kRegExpandSz);
  StartHost();
  EXPECT_EQ(PopupItems(), (std::vector<Item>{Button(u"One", u"First"), Button(u"Three", u"Third"),
                                             Button(u"Twenty-five", u"Last")}));
}

TEST_F(ZarvikMenu, CaptionsKeepTheirCommasAndALeadingCommaGivesAnEmptyPrefix) {
  Entry("1", "Tool,Save, Close, and Quit");
  Entry("2", ",Nameless");
  Entry("3", "Trailing,");
  StartHost();
  EXPECT_EQ(PopupItems(), (std::vector<Item>{Button(u"Save, Close, and Quit", u"Tool"), Button(u"Nameless", u""),
                                             Button(u"", u"Trailing")}));
  EXPECT_EQ(PopupItems()[1].onAction, u"!<.Connect>");
}

TEST_F(ZarvikMenu, WithNoEntryTheEmptyPopupGoesAgainAndShutdownStillSucceeds) {
  Entry("1", "");
  StartHost();
  EXPECT_FALSE(host->HasMenuItem({u"Zarvik"}));
  EXPECT_TRUE(Failures().empty());
  host->Quit();
  EXPECT_TRUE(Failures().empty());  // nothing left to delete is no failure
}

TEST_F(ZarvikMenu, ShutdownKnowsAGonePopupWhateverCodeTheHostGivesForIt) {
  constexpr std::uint32_t E_INVALIDARG = 0x80070057;  // what some hosts give for a missing control
  Entry("1", "Mapnote,Tessaly...");
  StartHost();
  {
    // Another add-in deletes the popup while the host runs.
    auto controls = host->Application()->CommandBars()->Item(host::Variant(u"Menu Bar"))->Controls();
    controls->Item(host::Variant(u"Zarvik"))->Delete(host::Variant::Missing());
  }
  const int next = host->Faults().Calls("CommandBarControls.Item") + 1;
  host->Faults().FailAt("CommandBarControls.Item", next, E_INVALIDARG);
  host->Quit();
  EXPECT_TRUE(Failures().empty());
}

TEST_F(ZarvikMenu, ShutdownPassesOnAFailureWhileThePopupIsThere) {
  Entry("1", "Mapnote,Tessaly...");
  StartHost();
  const int next = host->Faults().Calls("CommandBarControls.Item") + 1;
  host->Faults().FailAt("CommandBarControls.Item", next, standin::kHostFailure);
  host->Quit();
  ASSERT_EQ(Failures().size(), 1u);
  EXPECT_EQ(Failures()[0].code, standin::kHostFailure);
}

TEST_F(ZarvikMenu, AnEntryWithoutACommaOrThatCannotBeReadIsSkipped) {
  Entry("1", "Mapnote,Tessaly...");
  Entry("2", "written by some other installer");
  Entry("3", std::string(40000, 'x').c_str());  // its NUL lies past what a 16-bit position holds
  Entry("4", "Other,Other...");
  StartHost();
  EXPECT_TRUE(Failures().empty());
  EXPECT_EQ(PopupItems(), (std::vector<Item>{Button(u"Tessaly...", u"Mapnote"), Button(u"Other...", u"Other")}));
}

TEST_F(ZarvikMenu, QuitRemovesThePopupAndTheNextStartBuildsItAfresh) {
  Entry("1", "Mapnote,Tessaly...");
  StartHost();
  host->Quit();
  EXPECT_TRUE(Failures().empty());
  EXPECT_FALSE(host->HasMenuItem({u"Zarvik"}));
  StartHost();
  EXPECT_EQ(PopupItems(), std::vector<Item>{Button(u"Tessaly...", u"Mapnote")});
}

TEST_F(ZarvikMenu, APopupLeftByACrashIsReusedWithoutASecondSetOfItems) {
  Entry("1", "Mapnote,Tessaly...");
  StartHost();
  host->Crash();
  Entry("2", "Other,Other...");  // installed meanwhile
  StartHost();
  EXPECT_TRUE(Failures().empty());
  EXPECT_EQ(PopupItems(), (std::vector<Item>{Button(u"Tessaly...", u"Mapnote"), Button(u"Other...", u"Other")}));
  int popups = 0;
  for (const auto& caption : host->MenuCaptions({})) popups += caption == u"Zarvik";
  EXPECT_EQ(popups, 1);
}

TEST_F(ZarvikMenu, AReusedPopupWithItemsStaysEvenWhenTheListIsNowEmpty) {
  Entry("1", "Mapnote,Tessaly...");
  StartHost();
  host->Crash();
  registry.DeleteValue(AddIns, "1");
  StartHost();
  EXPECT_EQ(PopupItems(), std::vector<Item>{Button(u"Tessaly...", u"Mapnote")});
}

TEST_F(ZarvikMenu, CallingCreateZarvikPopupsAgainAddsOnlyWhatIsNew) {
  Entry("1", "Mapnote,Tessaly...");
  StartHost();
  auto connect = connected.lock();
  ASSERT_TRUE(connect);
  zarvik::_Connect& client = *connect;
  Entry("2", "Mapnote,Tessaly...");  // the same item twice
  Entry("3", "Mapnote,Other caption");
  EXPECT_EQ(client.CreateZarvikPopups(), host::False);
  EXPECT_EQ(PopupItems(), (std::vector<Item>{Button(u"Tessaly...", u"Mapnote"), Button(u"Other caption", u"Mapnote")}));
}

TEST_F(ZarvikMenu, CreateZarvikPopupsFailsBeforeAddingAnythingWhenThePopupIsGone) {
  StartHost();  // no entries: the popup is deleted again
  auto connect = connected.lock();
  ASSERT_TRUE(connect);
  Entry("1", "Mapnote,Tessaly...");
  EXPECT_THROW(connect->CreateZarvikPopups(), host::Error);
  EXPECT_FALSE(host->HasMenuItem({u"Zarvik"}));
}

TEST_F(ZarvikMenu, AControlTaggedZarvikThatIsNoPopupFailsTheConnection) {
  StartHost();
  auto button = Deref(MenuBarControls()).Add(Variant(host::msoControlButton), Variant::Missing(), Variant::Missing(),
                                             Variant::Missing(), Variant::Missing());
  button->put_Caption(u"Impostor");
  button->put_Tag(u"Zarvik");
  host->Crash();
  Entry("1", "Mapnote,Tessaly...");
  StartHost();
  ASSERT_EQ(Failures().size(), 1u);
  EXPECT_EQ(Failures()[0].code, host::code::TypeMismatch);
  EXPECT_FALSE(host->IsConnected(zarvik::ConnectProgId));
}

TEST(ZarvikEntryParts, CaptionAndTagSplitAtTheFirstComma) {
  standin::Host host;
  standin::Registry registry;
  standin::Windows1252 codePage;
  zarvik::Connect connect(zarvik::LibraryContext{host.Globals(), registry, codePage});
  zarvik::_Connect& client = connect;
  EXPECT_EQ(client.GetCaption(u"Mapnote,Tessaly...,more"), u"Tessaly...,more");
  EXPECT_EQ(client.GetTag(u"Mapnote,Tessaly...,more"), u"Mapnote");
  EXPECT_EQ(client.GetCaption(u"no comma"), u"no comma");
  EXPECT_EQ(client.GetCaption(u"last,"), u"");
  EXPECT_EQ(client.GetCaption(u""), u"");
  EXPECT_EQ(client.GetTag(u",first"), u"");
  // A direct caller still hears that an entry without a comma has no prefix.
  try {
    client.GetTag(u"no comma");
    ADD_FAILURE() << "no error";
  } catch (const host::Error& e) {
    EXPECT_EQ(e.code(), host::code::InvalidProcedureCall);
  }
}

}  // namespace
