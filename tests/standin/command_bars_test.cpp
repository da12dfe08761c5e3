// The command-bar model as the add-ins use it: bars by name, controls by
// caption and position, Add with its defaults, FindControl, Delete.
#include <gtest/gtest.h>

#include "tests/support/failure_code.h"

#include "standin/host.h"

namespace {

using host::Variant;

const Variant kMissing = Variant::Missing();

using test_support::FailureCodeOf;

class CommandBars : public ::testing::Test {
 protected:
  host::Ref<host::CommandBar> Bar(const host::Text& name) { return host.Application()->CommandBars()->Item(name); }
  host::Ref<host::CommandBarControls> MenuControls() { return Bar(u"Menu Bar")->Controls(); }
  host::Ref<host::CommandBarControl> AddPopup(const host::Text& caption) {
    auto popup = MenuControls()->Add(Variant(host::msoControlPopup), kMissing, kMissing, kMissing, kMissing);
    popup->put_Caption(caption);
    return popup;
  }

  standin::Host host;
};

TEST_F(CommandBars, TheMainMenuBarIsFoundByItsNameInAnyLetterCase) {
  for (const auto* name : {u"Menu Bar", u"menu bar", u"MENU BAR"}) EXPECT_EQ(Bar(name)->Name(), u"Menu Bar");
  EXPECT_EQ(host.Application()->CommandBars()->Item(1)->Name(), u"Menu Bar");
  EXPECT_EQ(Bar(u"file")->Name(), u"File");
  EXPECT_EQ(FailureCodeOf([&] { Bar(u"Menu"); }), host::code::InvalidProcedureCall);
  EXPECT_EQ(FailureCodeOf([&] { host.Application()->CommandBars()->Item(3); }), host::code::InvalidProcedureCall);
}

TEST_F(CommandBars, ControlsAreFoundByExactCaptionOrOneBasedPosition) {
  auto file = Bar(u"File")->Controls();
  EXPECT_EQ(file->Item(u"&Save")->Caption(), u"&Save");
  EXPECT_EQ(file->Item(1)->Caption(), u"&Save");

  auto menus = MenuControls();
  const auto count = menus->Count();
  EXPECT_EQ(menus->Item(1)->Caption(), u"&File");
  EXPECT_EQ(menus->Item(count)->Caption(), u"&Help");
  for (const auto& index : {Variant(0), Variant(count + 1), Variant(u"Zarvik"), Variant(u"&help")})
    EXPECT_EQ(FailureCodeOf([&] { menus->Item(index); }), host::code::InvalidProcedureCall);
}

TEST_F(CommandBars, AddWithItsArgumentsMissingAppendsAButton) {
  auto menus = MenuControls();
  const auto count = menus->Count();
  auto added = menus->Add(kMissing, kMissing, kMissing, kMissing, kMissing);
  EXPECT_EQ(added->Type(), host::msoControlButton);
  EXPECT_NE(std::dynamic_pointer_cast<host::CommandBarButton>(added), nullptr);
  EXPECT_EQ(added->Parameter(), u"");
  EXPECT_EQ(menus->Count(), count + 1);
  added->put_Caption(u"Last");
  EXPECT_EQ(menus->Item(count + 1)->Caption(), u"Last");
}

TEST_F(CommandBars, AddPlacesAPopupOrAButtonWhereAsked) {
  auto popup = host::TakeAs<host::CommandBarPopup>(AddPopup(u"Zarvik"));
  ASSERT_NE(popup, nullptr);
  auto items = popup->Controls();
  EXPECT_EQ(items->Count(), 0);
  items->Add(Variant(host::msoControlButton), kMissing, Variant(u"Mapnote"), kMissing, kMissing)->put_Caption(u"B");
  items->Add(Variant(host::msoControlButton), kMissing, kMissing, Variant(1), kMissing)->put_Caption(u"A");
  ASSERT_EQ(items->Count(), 2);
  EXPECT_EQ(items->Item(1)->Caption(), u"A");
  EXPECT_EQ(items->Item(2)->Caption(), u"B");
  EXPECT_EQ(items->Item(u"B")->Parameter(), u"Mapnote");
  EXPECT_EQ(host.MenuCaptions({u"Zarvik"}), (std::vector<host::Text>{u"A", u"B"}));
}

TEST_F(CommandBars, ABadAddArgumentAddsNothing) {
  auto menus = MenuControls();
  const auto count = menus->Count();
  EXPECT_EQ(FailureCodeOf([&] { menus->Add(Variant(3), kMissing, kMissing, kMissing, kMissing); }),
            host::code::InvalidProcedureCall);
  EXPECT_EQ(FailureCodeOf([&] { menus->Add(kMissing, kMissing, kMissing, Variant(count + 2), kMissing); }),
            host::code::InvalidProcedureCall);
  EXPECT_EQ(FailureCodeOf([&] { menus->Add(kMissing, kMissing, Variant::MakeNull(), kMissing, kMissing); }),
            host::code::InvalidUseOfNull);
  EXPECT_EQ(menus->Count(), count);
}

TEST_F(CommandBars, FindControlMatchesTheTagOnTheBarItselfUnlessAskedToSearchDeeper) {
  auto popup = host::TakeAs<host::CommandBarPopup>(AddPopup(u"Zarvik"));
  popup->put_Tag(u"Zarvik");
  auto inner = popup->Controls()->Add(Variant(host::msoControlButton), kMissing, kMissing, kMissing, kMissing);
  inner->put_Tag(u"Mapnote");
  auto bar = Bar(u"menu bar");

  auto found = bar->FindControl(kMissing, kMissing, Variant(u"Zarvik"), kMissing, kMissing);
  ASSERT_NE(found, nullptr);
  EXPECT_EQ(found->Caption(), u"Zarvik");
  EXPECT_EQ(bar->FindControl(kMissing, kMissing, Variant(u"zarvik"), kMissing, kMissing), nullptr);
  EXPECT_EQ(bar->FindControl(Variant(host::msoControlButton), kMissing, Variant(u"Zarvik"), kMissing, kMissing),
            nullptr);
  EXPECT_EQ(bar->FindControl(kMissing, kMissing, Variant(u"Mapnote"), kMissing, kMissing), nullptr);
  auto deep = bar->FindControl(kMissing, kMissing, Variant(u"Mapnote"), kMissing, host::True);
  ASSERT_NE(deep, nullptr);
  EXPECT_EQ(deep->Type(), host::msoControlButton);
}

TEST_F(CommandBars, DeletingAPopupRemovesItsControlsAndLeavesTheirReferencesDead) {
  auto menus = MenuControls();
  const auto count = menus->Count();
  auto popup = host::TakeAs<host::CommandBarPopup>(AddPopup(u"Zarvik"));
  auto items = popup->Controls();
  auto item = items->Add(kMissing, kMissing, kMissing, kMissing, kMissing);
  item->put_Caption(u"Tessaly...");

  popup->Delete(kMissing);
  EXPECT_EQ(menus->Count(), count);
  EXPECT_FALSE(host.HasMenuItem({u"Zarvik"}));
  EXPECT_EQ(FailureCodeOf([&] { menus->Item(u"Zarvik"); }), host::code::InvalidProcedureCall);
  EXPECT_EQ(FailureCodeOf([&] { item->Caption(); }), standin::kHostFailure);
  EXPECT_EQ(FailureCodeOf([&] { items->Count(); }), standin::kHostFailure);
  EXPECT_EQ(FailureCodeOf([&] { popup->Delete(kMissing); }), standin::kHostFailure);

  // A popup of the same name added afterwards is a new one.
  AddPopup(u"Zarvik");
  EXPECT_EQ(host.MenuCaptions({u"Zarvik"}), std::vector<host::Text>{});
}

TEST_F(CommandBars, TestFacingMenuPathsNameWhatExists) {
  EXPECT_TRUE(host.HasMenuItem({u"&Help"}));
  EXPECT_FALSE(host.HasMenuItem({u"&Help", u"About"}));
  EXPECT_FALSE(host.HasMenuItem({}));
  EXPECT_THROW(host.Click({u"Zarvik", u"Tessaly..."}), std::invalid_argument);
  EXPECT_THROW(host.MenuCaptions({u"Zarvik"}), std::invalid_argument);
}

}  // namespace
