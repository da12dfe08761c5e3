// The area editor dialog: moving through the areas, and what OK and Cancel
// leave on the page.
#include "author.h"

namespace mapnote_test {
namespace {

using host::ControlId;
using host::Text;
using standin::Area;

const ControlId kFirst{"cmdMove", 0}, kPrevious{"cmdMove", 1}, kNext{"cmdMove", 2}, kLast{"cmdMove", 3};
const ControlId kOK{"cmdOK"}, kCancel{"cmdCancel"}, kAlt{"txtMapnote"};

using Moves = std::array<bool, 4>;  // First, Previous, Next, Last enabled

class DialogTest : public AuthorTest {
 protected:
  standin::HeadlessForm Open(const std::vector<Area>& areas) {
    author.host->OpenWeb();
    author.OpenPageWithAreas(kPageB, NumberedAreas(1));
    author.OpenPageWithAreas(kPageA, areas);
    author.ClickTessaly();
    return author.Dialog();
  }

  void ExpectShowing(int area, int count, Moves moves, const ControlId& defaultButton) {
    SCOPED_TRACE("area " + std::to_string(area));
    const auto form = author.Dialog();
    EXPECT_EQ(form.GetText({"lblStatus"}),
              u"Image Map Area " + host::Decimal(area) + u" of " + host::Decimal(count));
    EXPECT_EQ(form.GetText({"txtLink"}), u"area" + host::Decimal(area) + u".htm");
    EXPECT_EQ(author.MoveButtons(), moves);
    EXPECT_EQ(form.DefaultButton(), defaultButton);
  }
};

TEST_F(DialogTest, OpensOnTheFirstAreaReadyForTyping) {
  auto form = Open(NumberedAreas(3));
  EXPECT_TRUE(form.Visible());
  EXPECT_EQ(form.Title(), kDialogTitle);
  EXPECT_EQ(form.Focus(), kAlt);
  EXPECT_EQ(form.CancelButton(), kCancel);
  EXPECT_EQ(form.Value({"chkSave"}), 1);
  EXPECT_TRUE(author.host->Windows().TopMost(form.hWnd()));
  EXPECT_EQ(author.host->Windows().Foreground(), form.hWnd());
  ExpectShowing(1, 3, {false, false, true, true}, kNext);
  author.ExpectNoFailures();
}

TEST_F(DialogTest, OneAreaLeavesOnlyOKAndCancel) {
  auto form = Open(NumberedAreas(1));
  ExpectShowing(1, 1, {false, false, false, false}, kNext);
  EXPECT_FALSE(form.PressEnter()) << "Enter finds the default button disabled";
  ASSERT_TRUE(form.Type(kAlt, u"Only"));
  ASSERT_TRUE(form.Click(kOK));
  EXPECT_EQ(author.host->Areas(kPageA)[0].alt, Text(u"Only"));
  author.ExpectNoFailures();
}

TEST_F(DialogTest, ThreeAreasHandTheDefaultToOKAtTheLast) {
  auto form = Open(NumberedAreas(3));
  ASSERT_TRUE(form.Click(kNext));
  ExpectShowing(2, 3, {true, true, true, true}, kNext);
  ASSERT_TRUE(form.Click(kNext));
  ExpectShowing(3, 3, {true, true, false, false}, kOK);
  ASSERT_TRUE(form.Click(kPrevious));
  ExpectShowing(2, 3, {true, true, true, true}, kOK);
  author.ExpectNoFailures();
}

TEST_F(DialogTest, FiveAreasWalkedWithEveryButton) {
  auto form = Open(NumberedAreas(5));
  ExpectShowing(1, 5, {false, false, true, true}, kNext);
  ASSERT_TRUE(form.Click(kNext));
  ExpectShowing(2, 5, {true, true, true, true}, kNext);
  ASSERT_TRUE(form.Click(kLast));
  ExpectShowing(5, 5, {true, true, false, false}, kNext);
  ASSERT_TRUE(form.Click(kPrevious));
  ExpectShowing(4, 5, {true, true, true, true}, kNext);
  ASSERT_TRUE(form.Click(kNext));
  ExpectShowing(5, 5, {true, true, false, false}, kOK);
  ASSERT_TRUE(form.Click(kFirst));
  ExpectShowing(1, 5, {false, false, true, true}, kOK);
  ASSERT_TRUE(form.Click(kNext));
  ExpectShowing(2, 5, {true, true, true, true}, kNext);
  author.ExpectNoFailures();
}

TEST_F(DialogTest, EnterStoresTheTextAndMovesOnThenRunsOK) {
  auto form = Open(NumberedAreas(3));
  for (const Text text : {u"one", u"two", u"three"}) {
    ASSERT_TRUE(form.Type(kAlt, text));
    ASSERT_TRUE(form.PressEnter());
  }
  EXPECT_FALSE(form.Exists()) << "the third Enter pressed OK";
  const auto areas = author.host->Areas(kPageA);
  EXPECT_EQ(areas[0].alt, Text(u"one"));
  EXPECT_EQ(areas[1].alt, Text(u"two"));
  EXPECT_EQ(areas[2].alt, Text(u"three"));
  author.ExpectNoFailures();
}

TEST_F(DialogTest, EveryMoveKeepsTheTextTyped) {
  auto form = Open(NumberedAreas(3));
  ASSERT_TRUE(form.Type(kAlt, u"zero"));
  ASSERT_TRUE(form.Click(kLast));
  EXPECT_EQ(form.GetText(kAlt), u"");
  ASSERT_TRUE(form.Type(kAlt, u"two"));
  ASSERT_TRUE(form.Click(kPrevious));
  ASSERT_TRUE(form.Type(kAlt, u"one"));
  ASSERT_TRUE(form.Click(kFirst));
  EXPECT_EQ(form.GetText(kAlt), u"zero");
  ASSERT_TRUE(form.Click(kOK));
  const auto areas = author.host->Areas(kPageA);
  EXPECT_EQ(areas[0].alt, Text(u"zero"));
  EXPECT_EQ(areas[1].alt, Text(u"one"));
  EXPECT_EQ(areas[2].alt, Text(u"two"));
  author.ExpectNoFailures();
}

TEST_F(DialogTest, OKWritesTextsRemovesEmptyOnesAndKeepsBlanks) {
  const std::vector<Area> before = {{u"area1.htm", u"old"},
                                    {u"area2.htm", u""},
                                    {u"area3.htm", std::nullopt},
                                    {u"area4.htm", u"keep"},
                                    {u"area5.htm", u"drop"}};
  auto form = Open(before);
  ASSERT_TRUE(form.Type(kAlt, u"new"));
  ASSERT_TRUE(form.Click(kNext));
  ASSERT_TRUE(form.Click(kNext));
  ASSERT_TRUE(form.Type(kAlt, u"   "));
  ASSERT_TRUE(form.Click(kLast));
  ASSERT_TRUE(form.Type(kAlt, u""));
  ASSERT_TRUE(form.Click(kOK));

  const std::vector<Area> after = {{u"area1.htm", u"new"},
                                   {u"area2.htm", std::nullopt},
                                   {u"area3.htm", u"   "},
                                   {u"area4.htm", u"keep"},
                                   {u"area5.htm", std::nullopt}};
  EXPECT_EQ(author.host->Areas(kPageA), after);
  EXPECT_EQ(author.host->SavedAreas(kPageA), after) << "saved, since the box was checked";
  EXPECT_FALSE(author.host->IsConnected(kProgId));
  EXPECT_FALSE(form.Exists());
  author.ExpectNoFailures();
}

TEST_F(DialogTest, OKSavesTheEditedPageAndGivesBackTheActiveOne) {
  auto form = Open(NumberedAreas(2));
  ASSERT_TRUE(form.Type(kAlt, u"saved"));
  author.host->ActivatePage(kPageB);
  ASSERT_TRUE(form.Click(kOK));

  EXPECT_EQ(author.host->SaveCount(kPageA), 1);
  EXPECT_EQ(author.host->SaveCount(kPageB), 0);
  ASSERT_TRUE(author.host->SavedAreas(kPageA).has_value());
  EXPECT_EQ((*author.host->SavedAreas(kPageA))[0].alt, Text(u"saved"));
  EXPECT_EQ(author.host->ActivePageUrl(), kPageB);
  author.ExpectNoFailures();
}

TEST_F(DialogTest, OKWithSaveClearedChangesThePageOnly) {
  auto form = Open(NumberedAreas(2));
  ASSERT_TRUE(form.Type(kAlt, u"unsaved change"));
  ASSERT_TRUE(form.Click({"chkSave"}));
  ASSERT_TRUE(form.Click(kOK));
  EXPECT_EQ(author.host->Areas(kPageA)[0].alt, Text(u"unsaved change"));
  EXPECT_EQ(author.host->SaveCount(kPageA), 0);
  EXPECT_FALSE(author.host->IsConnected(kProgId));
  author.ExpectNoFailures();
}

TEST_F(DialogTest, OKWithNoActivePageSavesAndEnds) {
  auto form = Open(NumberedAreas(2));
  ASSERT_TRUE(form.Type(kAlt, u"text"));
  author.globals->hideActivePage = true;
  ASSERT_TRUE(form.Click(kOK));
  EXPECT_EQ(author.host->SaveCount(kPageA), 1);
  EXPECT_FALSE(form.Exists());
  EXPECT_FALSE(author.host->IsConnected(kProgId));
  author.ExpectNoFailures();
}

// Every host call the session makes, whatever the operation.
long long HostCalls(standin::Host& host) {
  long long calls = 0;
  for (const auto operation : standin::FaultInjector::Operations()) calls += host.Faults().Calls(operation);
  return calls;
}

// A large map costs three host calls per area to read (the element, its
// href, its alt) and three to write back (the element, its href for the
// changed-map check, the write): each pass fetches the page's areas once.
TEST(SessionCost, ThreeHostCallsPerAreaToStartAndThreeForOK) {
  std::map<int, std::pair<long long, long long>> calls;  // areas -> start, OK
  for (const int areas : {10, 30}) {
    Author author;
    author.host->OpenWeb();
    author.OpenPageWithAreas(kPageA, NumberedAreas(areas));
    const long long before = HostCalls(*author.host);
    author.ClickTessaly();
    const long long started = HostCalls(*author.host);
    ASSERT_TRUE(author.Dialog().Click(kOK));
    calls[areas] = {started - before, HostCalls(*author.host) - started};
    EXPECT_EQ(author.host->SaveCount(kPageA), 1);
    author.ExpectNoFailures();
  }
  EXPECT_EQ(calls[30].first - calls[10].first, 3 * 20) << "start";
  EXPECT_EQ(calls[30].second - calls[10].second, 3 * 20) << "OK";
}

TEST_F(DialogTest, CancelAndEscapeWriteNothing) {
  for (const bool escape : {false, true}) {
    SCOPED_TRACE(escape ? "Escape" : "Cancel");
    auto form = Open(NumberedAreas(2));
    ASSERT_TRUE(form.Type(kAlt, u"dropped"));
    ASSERT_TRUE(form.Click(kNext));
    ASSERT_TRUE(escape ? form.PressEscape() : form.Click(kCancel));
    EXPECT_FALSE(form.Exists());
    EXPECT_EQ(author.host->Areas(kPageA), NumberedAreas(2));
    EXPECT_EQ(author.host->SaveCount(kPageA), 0);
    EXPECT_FALSE(author.host->IsConnected(kProgId));
    author.host->ClosePage(kPageA);
    author.host->ClosePage(kPageB);
  }
  author.ExpectNoFailures();
}

// The author rewrote the image map while the dialog was open: OK writes
// nothing, says why, and keeps the dialog with the edits.
TEST_F(DialogTest, OKRefusesWhenTheImageMapChanged) {
  const std::vector<std::vector<Area>> rewrites = {
      NumberedAreas(2),                                                               // an area fewer
      NumberedAreas(4),                                                               // one more
      {{u"area1.htm", std::nullopt}, {u"moved.htm", std::nullopt}, {u"area3.htm", std::nullopt}},  // relinked
      {{u"area1.htm", std::nullopt}, {std::nullopt, std::nullopt}, {u"area3.htm", std::nullopt}},  // href removed
  };
  auto form = Open(NumberedAreas(3));
  ASSERT_TRUE(form.Type(kAlt, u"kept"));
  ASSERT_TRUE(form.Click(kNext));
  ASSERT_TRUE(form.Type(kAlt, u"typed"));
  for (const auto& rewrite : rewrites) {
    author.host->EditAreas(kPageA, rewrite);
    const auto boxesBefore = author.Boxes().size();
    ASSERT_TRUE(form.Click(kOK));
    ASSERT_EQ(author.Boxes().size(), boxesBefore + 1);
    const auto& box = author.Boxes().back();
    EXPECT_EQ(box.prompt, u"The image map on this page has changed since editing began. No ALT text was written.");
    EXPECT_EQ(box.title, u"Microsoft FrontPage");
    EXPECT_EQ(box.style, 48);
    EXPECT_EQ(author.host->Areas(kPageA), rewrite);
    EXPECT_EQ(author.host->SaveCount(kPageA), 0);
    EXPECT_TRUE(form.Visible());
    EXPECT_TRUE(author.host->IsConnected(kProgId));
    EXPECT_EQ(form.GetText(kAlt), u"typed");
  }

  // Put back as it was, the page takes the edits.
  author.host->EditAreas(kPageA, NumberedAreas(3));
  ASSERT_TRUE(form.Click(kOK));
  const auto areas = author.host->Areas(kPageA);
  EXPECT_EQ(areas[0].alt, Text(u"kept"));
  EXPECT_EQ(areas[1].alt, Text(u"typed"));
  EXPECT_FALSE(form.Exists());
  author.ExpectNoFailures();
}

TEST_F(DialogTest, FailingWriteKeepsTheDialogForAnotherTry) {
  auto form = Open(NumberedAreas(3));
  ASSERT_TRUE(form.Type(kAlt, u"a"));
  ASSERT_TRUE(form.Click(kNext));
  ASSERT_TRUE(form.Type(kAlt, u"b"));
  author.FailNext("HTMLElement.setAttribute", 0x80041003);
  ASSERT_TRUE(form.Click(kOK));
  EXPECT_TRUE(form.Visible());
  EXPECT_EQ(author.host->SaveCount(kPageA), 0);
  EXPECT_EQ(author.FailureCodes(), std::vector<std::uint32_t>{0x80041003});

  ASSERT_TRUE(form.Click(kOK));
  EXPECT_EQ(author.host->Areas(kPageA)[1].alt, Text(u"b"));
  EXPECT_EQ(author.host->SaveCount(kPageA), 1);
  EXPECT_FALSE(form.Exists());
}

}  // namespace
}  // namespace mapnote_test
