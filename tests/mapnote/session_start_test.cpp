// Starting an editing session: the checks before the dialog opens, and the
// session state read from the page.
#include "author.h"

namespace mapnote_test {
namespace {

using host::Text;
using standin::Area;

const Text kNoWebPrompt = u"There is no web currently open.\r\rPlease open a web before using this feature.";
const Text kSaveFirstPrompt = u"Please save this page first. Would you like to save the page now?";
const Text kUnsaved = u"unsaved:///new_page_1.htm";

TEST_F(AuthorTest, NoWebRefusesAndDisconnects) {
  author.OpenPageWithAreas(kPageA, NumberedAreas(2));
  author.ClickTessaly();

  author.ExpectOneBox(kNoWebPrompt, u"Microsoft FrontPage", 48);
  EXPECT_FALSE(author.host->IsConnected(kProgId));
  EXPECT_EQ(author.host->Toolkit().CountForms(kDialogTitle), 0);
  EXPECT_TRUE(author.library->at.EditedPageUrl.empty());
  author.ExpectNoFailures();
}

TEST_F(AuthorTest, UnsavedPageSavedOnYesThenEdited) {
  author.host->OpenWeb();
  author.OpenPageWithAreas(kUnsaved, NumberedAreas(2));
  author.host->Boxes().Answer(host::mb::ResultYes);
  author.host->ScriptSaveAs(kPageA);
  author.ClickTessaly();

  author.ExpectOneBox(kSaveFirstPrompt, u"Microsoft FrontPage", 36);
  EXPECT_EQ(author.host->SaveCount(kPageA), 1);
  ASSERT_TRUE(author.DialogOpen());
  EXPECT_EQ(author.library->at.EditedPageUrl, kPageA);
  EXPECT_EQ(author.Dialog().GetText({"txtLink"}), u"area1.htm");
  author.ExpectNoFailures();
}

TEST_F(AuthorTest, SaveThatLeavesThePageUnsavedAsksAgainUntilNo) {
  author.host->OpenWeb();
  author.OpenPageWithAreas(kUnsaved, NumberedAreas(2));
  author.host->Boxes().Answer(host::mb::ResultYes);
  author.host->ScriptSaveAs(std::nullopt);  // the author cancels the save-as
  author.host->Boxes().Answer(host::mb::ResultYes);
  author.host->ScriptSaveAs(std::nullopt);
  author.host->Boxes().Answer(host::mb::ResultNo);
  author.ClickTessaly();

  ASSERT_EQ(author.Boxes().size(), 3u);
  for (const auto& box : author.Boxes()) EXPECT_EQ(box.prompt, kSaveFirstPrompt);
  EXPECT_EQ(author.host->SaveAsAsked(), 2);
  EXPECT_FALSE(author.host->IsConnected(kProgId));
  EXPECT_EQ(author.host->Toolkit().CountForms(kDialogTitle), 0);
  EXPECT_EQ(author.library->at.EditedPageUrl, kUnsaved);
  author.ExpectNoFailures();
}

TEST_F(AuthorTest, UnsavedPageWithNoRefusesWithoutSaving) {
  author.host->OpenWeb();
  author.OpenPageWithAreas(kUnsaved, NumberedAreas(2));
  author.host->Boxes().Answer(host::mb::ResultNo);
  author.ClickTessaly();

  EXPECT_EQ(author.Boxes().size(), 1u);
  EXPECT_EQ(author.host->SaveAsAsked(), 0);
  EXPECT_FALSE(author.host->IsConnected(kProgId));
  EXPECT_FALSE(author.DialogOpen());
  EXPECT_EQ(author.library->at.EditedPageUrl, kUnsaved);
  author.ExpectNoFailures();
}

TEST_F(AuthorTest, OnlyALowerCaseUnsavedPrefixMarksAnUnsavedPage) {
  author.host->OpenWeb();
  for (const Text url : {u"Unsaved_page.htm", u"unsav", u"UNSAVED"}) {
    author.OpenPageWithAreas(url, NumberedAreas(1));
    author.ClickTessaly();
    EXPECT_TRUE(author.DialogOpen()) << host::ToUtf8(url);
    EXPECT_EQ(author.library->at.EditedPageUrl, url);
    ASSERT_TRUE(author.Dialog().Click({"cmdCancel"}));
  }
  EXPECT_TRUE(author.Boxes().empty());
  author.ExpectNoFailures();
}

TEST_F(AuthorTest, PageWithoutAreasIsRefused) {
  author.host->OpenWeb();
  author.OpenPageWithAreas(kPageA, {});
  author.ClickTessaly();

  author.ExpectOneBox(u"No image maps found on this page.", u"Microsoft FrontPage", 48);
  EXPECT_FALSE(author.host->IsConnected(kProgId));
  EXPECT_EQ(author.host->Toolkit().CountForms(kDialogTitle), 0);
  const auto& at = author.library->at;
  EXPECT_EQ(at.AreaCount, host::Int16(0));
  EXPECT_EQ(at.CurrentArea, host::Int16(0));
  EXPECT_EQ(at.AreaLinks.size(), 1u);
  EXPECT_EQ(at.AreaAlts.size(), 1u);
  author.ExpectNoFailures();
}

TEST_F(AuthorTest, AreasAreReadInDocumentOrderWithMissingAttributesAsEmpty) {
  author.host->OpenWeb();
  author.OpenPageWithAreas(kPageA, {{std::nullopt, u"Home"},  // no href at all
                                    {u"b.htm", u""},
                                    {u"c.htm", std::nullopt},
                                    {u"d.htm", u"  "}});
  author.ClickTessaly();
  ASSERT_TRUE(author.DialogOpen());

  const auto& at = author.library->at;
  ASSERT_EQ(at.AreaCount, host::Int16(4));
  ASSERT_EQ(at.AreaLinks.size(), 5u) << "one spare entry past the areas";
  const std::vector<Text> links = {u"", u"b.htm", u"c.htm", u"d.htm", u""};
  const std::vector<Text> alts = {u"Home", u"", u"", u"  ", u""};
  for (std::int16_t i = 0; i < 5; ++i) {
    EXPECT_EQ(at.AreaLinks[i], links[static_cast<std::size_t>(i)]) << i;
    EXPECT_EQ(at.AreaAlts[i], alts[static_cast<std::size_t>(i)]) << i;
  }
  auto form = author.Dialog();
  EXPECT_EQ(form.GetText({"txtLink"}), u"");
  EXPECT_EQ(form.GetText({"txtMapnote"}), u"Home");
  EXPECT_EQ(form.GetText({"lblStatus"}), u"Image Map Area 1 of 4");
  author.ExpectNoFailures();
}

TEST_F(AuthorTest, EachSessionStartsWithFreshStateAndAFreshDialog) {
  author.host->OpenWeb();
  author.OpenPageWithAreas(kPageA, {{u"x.htm", u"X"}, {u"y.htm", u"Y"}, {u"z.htm", std::nullopt}});
  author.ClickTessaly();
  auto first = author.Dialog();
  ASSERT_TRUE(first.Type({"txtMapnote"}, u"changed"));
  ASSERT_TRUE(first.PressEnter());
  ASSERT_TRUE(first.PressEnter());
  ASSERT_TRUE(first.Click({"chkSave"}));
  ASSERT_EQ(first.DefaultButton(), (host::ControlId{"cmdOK"}));
  ASSERT_TRUE(first.Click({"cmdCancel"}));
  EXPECT_FALSE(first.Exists());

  author.OpenPageWithAreas(kPageB, {{u"p.htm", std::nullopt}, {u"q.htm", u"Q"}});
  author.ClickTessaly();
  auto second = author.Dialog();
  EXPECT_NE(second.hWnd(), first.hWnd());
  EXPECT_EQ(second.Value({"chkSave"}), 1);
  EXPECT_EQ(second.DefaultButton(), (host::ControlId{"cmdMove", 2}));
  EXPECT_EQ(second.GetText({"lblStatus"}), u"Image Map Area 1 of 2");
  const auto& at = author.library->at;
  EXPECT_EQ(at.AreaCount, host::Int16(2));
  EXPECT_EQ(at.CurrentArea, host::Int16(0));
  EXPECT_EQ(at.AreaAlts.size(), 3u);
  EXPECT_EQ(at.AreaAlts[host::Int16(0)], u"");
  EXPECT_EQ(at.AreaAlts[host::Int16(1)], u"Q");
  EXPECT_EQ(author.host->Areas(kPageA)[0].alt, Text(u"X")) << "Cancel wrote nothing";
  author.ExpectNoFailures();
}

}  // namespace
}  // namespace mapnote_test
