// Connecting on the author's first click, the menu hook, the page-close
// guard, and what disconnection leaves behind.
#include "author.h"

namespace mapnote_test {
namespace {

using host::Text;
using host::Variant;

const Text kGuardPrompt =
    u"You are currently editing an image map on this page.\r\n\r\n"
    u"Please finish editing the image map before closing this page.";

TEST_F(AuthorTest, ClickWithNoPageWarnsAndStaysConnected) {
  author.host->OpenWeb();
  author.ClickTessaly();

  author.ExpectOneBox(u"You must have a page opened to use Tessaly.", u"Zarvik Tessaly", 48);
  EXPECT_TRUE(author.host->IsConnected(kProgId));
  EXPECT_FALSE(author.DialogOpen());

  author.ClickTessaly();
  EXPECT_EQ(author.Boxes().size(), 2u);
  EXPECT_EQ(author.connectsMade, 1) << "the second click reaches the object already connected";

  // The connection interface's remaining calls succeed at shutdown.
  author.host->Quit();
  author.ExpectNoFailures();
}

// Menus in which the connection cannot hook its button: the failure goes
// back to the host with the host's own code, the click that caused the
// connection reaches nothing, and the host lets the add-in go.
class ConnectionFailure : public ::testing::Test {
 protected:
  void TearDown() override { author.Finish(); }

  std::uint32_t ConnectByClicking(const std::vector<Text>& path) {
    author.host->OpenWeb();
    author.OpenPageWithAreas(kPageA, NumberedAreas(2));
    author.host->Click(path);
    EXPECT_FALSE(author.host->IsConnected(kProgId));
    EXPECT_TRUE(author.Boxes().empty());
    EXPECT_FALSE(author.DialogOpen());
    const auto& failures = author.host->Failures();
    if (failures.size() != 1u || failures[0].where != "Mapnote.Connect OnConnection") {
      ADD_FAILURE() << "expected the connection, and only it, to fail";
      return 0;
    }
    return failures[0].code;
  }

  std::uint32_t LookupFailure(const std::vector<Text>& captions) {
    return FailureCodeOf([&] {
      auto controls = author.host->Application()->CommandBars()->Item(Text(u"menu bar"))->Controls();
      for (std::size_t i = 0; i < captions.size(); ++i) {
        auto control = controls->Item(captions[i]);
        if (i + 1 < captions.size()) controls = host::TakeAs<host::CommandBarPopup>(control)->Controls();
      }
    });
  }

  Author author{Author::Menu::None};
};

TEST_F(ConnectionFailure, NoMainMenuBar) {
  author.AddPopup(u"Zarvik", {{u"Tessaly...", u"!<Mapnote.Connect>"}});
  author.FailNext("CommandBars.Item", 0x80041001);
  EXPECT_EQ(ConnectByClicking({u"Zarvik", u"Tessaly..."}), 0x80041001u);
}

TEST_F(ConnectionFailure, NoZarvikPopup) {
  author.AddPopup(u"Add-ins", {{u"Tessaly...", u"!<Mapnote.Connect>"}});
  const auto expected = LookupFailure({u"Zarvik"});
  ASSERT_NE(expected, 0u);
  EXPECT_EQ(ConnectByClicking({u"Add-ins", u"Tessaly..."}), expected);
}

TEST_F(ConnectionFailure, NoTessalyItemInThePopup) {
  author.AddPopup(u"Zarvik", {{u"Tessaly", u"!<Mapnote.Connect>"}});
  const auto expected = LookupFailure({u"Zarvik", u"Tessaly..."});
  ASSERT_NE(expected, 0u);
  EXPECT_EQ(ConnectByClicking({u"Zarvik", u"Tessaly"}), expected);
}

TEST_F(ConnectionFailure, ItemThatIsNotAButton) {
  author.AddPopup(u"Zarvik", {{u"Tessaly", u"!<Mapnote.Connect>"}});
  const auto missing = Variant::Missing();
  auto zarvik = host::TakeAs<host::CommandBarPopup>(
      author.host->Application()->CommandBars()->Item(Text(u"Menu Bar"))->Controls()->Item(Text(u"Zarvik")));
  zarvik->Controls()->Add(Variant(host::msoControlPopup), missing, missing, missing, missing)->put_Caption(u"Tessaly...");
  EXPECT_EQ(ConnectByClicking({u"Zarvik", u"Tessaly"}), host::code::TypeMismatch);
}

TEST_F(AuthorTest, GuardRefusesToCloseExactlyTheEditedPage) {
  const Text edited = u"http://localhost/web/Index.htm";
  const Text otherCase = u"http://localhost/web/index.htm";
  author.host->OpenWeb();
  author.OpenPageWithAreas(otherCase, NumberedAreas(1));
  author.OpenPageWithAreas(kPageB, NumberedAreas(1));
  author.OpenPageWithAreas(edited, NumberedAreas(2));
  author.ClickTessaly();
  ASSERT_TRUE(author.DialogOpen());

  EXPECT_TRUE(author.host->ClosePage(otherCase)) << "a URL differing only in letter case is not held";
  EXPECT_TRUE(author.host->ClosePage(kPageB));
  EXPECT_TRUE(author.Boxes().empty());

  EXPECT_FALSE(author.host->ClosePage(edited));
  author.ExpectOneBox(kGuardPrompt, u"Microsoft FrontPage", 4144);
  EXPECT_TRUE(author.DialogOpen()) << "the session goes on";
  author.ExpectNoFailures();
}

TEST_F(AuthorTest, EditedPageClosesOnceItsDialogIsGoneEvenIfTheAddInStays) {
  author.host->OpenWeb();
  author.OpenPageWithAreas(kPageA, NumberedAreas(2));
  author.ClickTessaly();
  ASSERT_TRUE(author.DialogOpen());

  // The host fails to disconnect the add-in, so its object and the guard stay.
  author.FailNext("COMAddIn.put_Connect", 0x80041002);
  ASSERT_TRUE(author.Dialog().Click({"cmdCancel"}));
  ASSERT_TRUE(author.host->IsConnected(kProgId));
  EXPECT_FALSE(author.DialogOpen());
  EXPECT_EQ(author.library->at.EditedPageUrl, kPageA) << "the session's record stays";

  EXPECT_TRUE(author.host->ClosePage(kPageA));
  EXPECT_TRUE(author.Boxes().empty());
  EXPECT_EQ(author.FailureCodes(), std::vector<std::uint32_t>{0x80041002});
}

TEST_F(AuthorTest, EndingASessionLeavesTheSharedPopupForTheNextOne) {
  author.host->OpenWeb();
  author.OpenPageWithAreas(kPageA, NumberedAreas(2));
  author.ClickTessaly();
  ASSERT_TRUE(author.Dialog().Click({"cmdCancel"}));
  ASSERT_FALSE(author.host->IsConnected(kProgId));

  EXPECT_EQ(author.host->MenuCaptions({u"Zarvik"}), (std::vector<Text>{u"Tessaly...", u"Other..."}));
  author.ClickTessaly();
  EXPECT_TRUE(author.DialogOpen());
  EXPECT_EQ(author.connectsMade, 2);
  author.ExpectNoFailures();
}

TEST_F(AuthorTest, ClickWhileTheDialogIsOpenBringsItBackAndKeepsTheEdits) {
  author.host->OpenWeb();
  author.OpenPageWithAreas(kPageB, NumberedAreas(1));
  author.OpenPageWithAreas(kPageA, NumberedAreas(3));
  author.ClickTessaly();
  auto form = author.Dialog();
  ASSERT_TRUE(form.Type({"txtMapnote"}, u"first"));
  ASSERT_TRUE(form.PressEnter());
  ASSERT_TRUE(form.Type({"txtMapnote"}, u"typed"));

  // The author goes on in the host: another page, another window in front.
  author.host->ActivatePage(kPageB);
  ASSERT_TRUE(form.FocusOn({"cmdOK"}));
  const auto other = author.host->Windows().OpenWindow(u"Notepad");
  author.host->Windows().SetForegroundWindow(other);

  author.ClickTessaly();

  EXPECT_EQ(author.host->Toolkit().CountForms(kDialogTitle), 1);
  EXPECT_EQ(author.Dialog().hWnd(), form.hWnd());
  EXPECT_EQ(author.host->Windows().Foreground(), form.hWnd());
  EXPECT_TRUE(author.host->Windows().TopMost(form.hWnd()));
  EXPECT_EQ(form.Focus(), (host::ControlId{"txtMapnote"}));
  EXPECT_EQ(form.GetText({"txtMapnote"}), u"typed");
  EXPECT_EQ(form.GetText({"lblStatus"}), u"Image Map Area 2 of 3");
  EXPECT_EQ(author.library->at.EditedPageUrl, kPageA);
  EXPECT_TRUE(author.Boxes().empty());

  ASSERT_TRUE(form.Click({"cmdOK"}));
  EXPECT_EQ(author.host->Areas(kPageA)[0].alt, Text(u"first"));
  EXPECT_EQ(author.host->Areas(kPageA)[1].alt, Text(u"typed"));
  EXPECT_TRUE(author.host->Areas(kPageB)[0].alt == std::nullopt);
  author.ExpectNoFailures();
}

}  // namespace
}  // namespace mapnote_test
