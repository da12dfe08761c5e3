// The two add-ins as a new user meets them: registered with regsvr32, the
// menu entry imported with regedit, and the host started on a sample web.
// Everything is done through the host's windows, the dialog's controls and
// the message boxes, from this separate process.
#include <algorithm>

#include "standin/com/tests/e2e/e2e_session.h"

namespace e2e {
namespace {

const std::wstring kFrontPage = L"Microsoft FrontPage";
const std::vector<std::wstring> kOk = {L"OK"};
const std::vector<std::string> kBoth = {"mapnote.dll", "zarvik.dll"};

bool Has(const std::vector<std::wstring>& paths, const std::wstring& path) {
  return std::find(paths.begin(), paths.end(), path) != paths.end();
}

std::wstring Title(const std::string& page) {
  return L"Stand-in FrontPage - http://localhost/web/" + std::wstring(page.begin(), page.end());
}

using MenuTest = HostTest;

TEST_F(MenuTest, PopupBuiltFromTheRegistryAndRebuiltAfterQuitDeletedIt) {
  StartHost();
  auto paths = host_.ControlPaths();
  ASSERT_FALSE(paths.empty());
  EXPECT_EQ(std::count_if(paths.begin(), paths.end(), [](const auto& p) { return p.rfind(L"Zarvik", 0) == 0; }), 2);
  EXPECT_TRUE(Has(paths, L"Zarvik > Tessaly..."));
  // The popup goes last on the bar, after the host's own menus.
  std::vector<std::wstring> top;
  std::copy_if(paths.begin(), paths.end(), std::back_inserter(top), [](const auto& p) { return p.find(L" > ") == std::wstring::npos; });
  EXPECT_EQ(top.back(), L"Zarvik");
  auto report = QuitHost();
  EXPECT_EQ(report.menuBar, "&File|&Edit|&View|&Insert|F&ormat|&Tools|T&able|F&rames|&Window|&Help");
  ExpectCleanQuit(report, {"zarvik.dll"});

  // The bar is kept between runs, so the next start builds the popup anew.
  StartHost();
  paths = host_.ControlPaths();
  EXPECT_TRUE(Has(paths, L"Zarvik > Tessaly..."));
  EXPECT_EQ(std::count(paths.begin(), paths.end(), L"Zarvik > Tessaly..."), 1);
  ExpectCleanQuit(QuitHost(), {"zarvik.dll"});
}

using ClickTest = HostTest;

TEST_F(ClickTest, WithNoPageOpenWarnsAndTheAddInStaysConnected) {
  StartHost();
  for (int click = 0; click < 2; ++click) {
    ClickTessaly();
    AnswerBox(L"Zarvik Tessaly", L"You must have a page opened to use Tessaly.", kOk, L"OK");
  }
  EXPECT_TRUE(Has(host_.ControlPaths(), L"Zarvik > Tessaly..."));
  ExpectCleanQuit(QuitHost(), kBoth);
}

TEST_F(ClickTest, OnAPageWithoutAreasReportsItAndChangesNothing) {
  const auto before = ReadFile(WebFile("news.htm"));
  StartHost({"news.htm"});
  ClickTessaly();
  AnswerBox(kFrontPage, L"No image maps found on this page.", kOk, L"OK");
  EXPECT_FALSE(host_.FindTopLevel(L"Image Map ALT Text"));
  EXPECT_TRUE(Has(host_.ControlPaths(), L"Zarvik > Tessaly..."));
  ExpectCleanQuit(QuitHost(), kBoth);
  EXPECT_EQ(ReadFile(WebFile("news.htm")), before);
}

using UnsavedPageTest = HostTest;

TEST_F(UnsavedPageTest, AnsweredYesSavesThePageAndGoesOn) {
  StartHost();
  ASSERT_TRUE(host_.ClickHostCommand(L"New Page"));
  ASSERT_TRUE(WaitUntil([&] { return host_.Title() == L"Stand-in FrontPage - unsaved:///new_page_1.htm"; }))
      << "title: " << std::string(host_.Title().begin(), host_.Title().end());
  ClickTessaly();
  AnswerBox(kFrontPage, L"Please save this page first. Would you like to save the page now?", {L"Yes", L"No"}, L"Yes");
  // Saved into the web, the page is asked about no more; it has no map.
  AnswerBox(kFrontPage, L"No image maps found on this page.", kOk, L"OK");
  EXPECT_TRUE(WaitUntil([&] { return host_.Title() == Title("new_page_1.htm"); }));
  EXPECT_NE(ReadFile(WebFile("new_page_1.htm")).find("<body>"), std::string::npos);
  ExpectCleanQuit(QuitHost(), kBoth);
}

TEST_F(UnsavedPageTest, AnsweredNoLeavesItUnsaved) {
  StartHost();
  ASSERT_TRUE(host_.ClickHostCommand(L"New Page"));
  ASSERT_TRUE(WaitUntil([&] { return host_.Title() == L"Stand-in FrontPage - unsaved:///new_page_1.htm"; }));
  ClickTessaly();
  AnswerBox(kFrontPage, L"Please save this page first. Would you like to save the page now?", {L"Yes", L"No"}, L"No");
  EXPECT_FALSE(host_.WaitForBox(1s)) << "no box follows No";
  EXPECT_EQ(host_.Title(), L"Stand-in FrontPage - unsaved:///new_page_1.htm");
  EXPECT_EQ(GetFileAttributesW(WebFile("new_page_1.htm").c_str()), INVALID_FILE_ATTRIBUTES);
  ExpectCleanQuit(QuitHost(), kBoth);
}

class SessionTest : public HostTest {
 protected:
  // Starts the host on town.htm and opens the dialog.
  void OpenDialog() {
    StartHost({"town.htm"});
    ClickTessaly();
    dialog_ = AreaDialog::Find(host_);
    ASSERT_TRUE(dialog_) << "no dialog \"Image Map ALT Text\"";
    ASSERT_TRUE(WaitUntil([&] { return dialog_->Visible(); }));
  }
  // Opens it and stores a text for the first area in the session with
  // Next; nothing is written to the page yet.
  void OpenWithAStoredText(const std::wstring& text) {
    ASSERT_NO_FATAL_FAILURE(OpenDialog());
    dialog_->SetAltText(text);
    dialog_->Click(L">");
    ASSERT_TRUE(WaitUntil([&] { return dialog_->Status() == L"Image Map Area 2 of 5"; }));
  }
  std::optional<AreaDialog> dialog_;
};

TEST_F(SessionTest, FiveAreasWithMovesTypingOkAndSave) {
  const auto before = ReadFile(WebFile("town.htm"));
  StartHost({"town.htm"});
  ClickTessaly();
  auto found = AreaDialog::Find(host_);
  ASSERT_TRUE(found) << "no dialog \"Image Map ALT Text\"";
  const AreaDialog& dialog = *found;
  ASSERT_TRUE(WaitUntil([&] { return dialog.Visible(); }));
  EXPECT_EQ(dialog.Link(), L"home.htm");
  EXPECT_EQ(dialog.Status(), L"Image Map Area 1 of 5");
  EXPECT_EQ(dialog.AltText(), L"Home");
  EXPECT_TRUE(dialog.Checked());
  EXPECT_FALSE(dialog.Enabled(L"<<"));
  EXPECT_FALSE(dialog.Enabled(L"<"));
  EXPECT_TRUE(dialog.Enabled(L">"));
  EXPECT_TRUE(dialog.Enabled(L">>"));
  EXPECT_EQ(dialog.DefaultButton(), L">");

  // Enter runs Next, the default button.
  dialog.PressEnter();
  ASSERT_TRUE(WaitUntil([&] { return dialog.Status() == L"Image Map Area 2 of 5"; })) << "Enter did not move on";
  EXPECT_EQ(dialog.Link(), L"about.htm");
  EXPECT_EQ(dialog.AltText(), L"");
  EXPECT_TRUE(dialog.Enabled(L"<<") && dialog.Enabled(L"<") && dialog.Enabled(L">") && dialog.Enabled(L">>"));
  dialog.TypeAltText(L"About us");
  ASSERT_TRUE(WaitUntil([&] { return dialog.AltText() == L"About us"; })) << "keystrokes did not arrive";
  dialog.PressEnter();
  ASSERT_TRUE(WaitUntil([&] { return dialog.Status() == L"Image Map Area 3 of 5"; }));
  EXPECT_EQ(dialog.AltText(), L"   ");  // blanks are kept as they are
  dialog.Click(L">");
  ASSERT_TRUE(WaitUntil([&] { return dialog.Status() == L"Image Map Area 4 of 5"; }));
  EXPECT_EQ(dialog.AltText(), L"");
  dialog.SetAltText(L"Shop");
  dialog.Click(L">>");
  ASSERT_TRUE(WaitUntil([&] { return dialog.Status() == L"Image Map Area 5 of 5"; }));
  EXPECT_EQ(dialog.Link(), L"contact.htm");
  EXPECT_FALSE(dialog.Enabled(L">"));
  EXPECT_FALSE(dialog.Enabled(L">>"));
  EXPECT_TRUE(dialog.Enabled(L"<<"));
  dialog.SetAltText(L"Contact");
  dialog.Click(L"<");
  ASSERT_TRUE(WaitUntil([&] { return dialog.Status() == L"Image Map Area 4 of 5"; }));
  EXPECT_EQ(dialog.AltText(), L"Shop") << "moving keeps what was typed";
  dialog.Click(L">");
  ASSERT_TRUE(WaitUntil([&] { return dialog.Status() == L"Image Map Area 5 of 5"; }));
  EXPECT_EQ(dialog.AltText(), L"Contact");
  EXPECT_EQ(dialog.DefaultButton(), L"OK") << "Next onto the last area hands Enter to OK";

  dialog.PressEnter();
  ASSERT_TRUE(WaitUntil([&] { return !dialog.Visible(); })) << "OK did not end the session";
  EXPECT_FALSE(host_.BoxOpen());

  const auto after = ReadFile(WebFile("town.htm"));
  const auto tags = AreaTags(after);
  ASSERT_EQ(tags.size(), 5u);
  const std::vector<std::optional<std::string>> alts = {"Home", "About us", "   ", "Shop", "Contact"};
  for (std::size_t i = 0; i < tags.size(); ++i) EXPECT_EQ(AltOf(tags[i]), alts[i]) << tags[i];
  EXPECT_EQ(WithoutAreaTags(after), WithoutAreaTags(before)) << "bytes outside the area tags changed";

  // The item still works: a second session shows what the first wrote.
  ClickTessaly();
  auto second = AreaDialog::Find(host_);
  ASSERT_TRUE(second);
  ASSERT_TRUE(WaitUntil([&] { return second->Visible() && second->Status() == L"Image Map Area 1 of 5"; }));
  second->Click(L">>");
  ASSERT_TRUE(WaitUntil([&] { return second->Status() == L"Image Map Area 5 of 5"; }));
  EXPECT_EQ(second->AltText(), L"Contact");
  second->Click(L"Cancel");
  ASSERT_TRUE(WaitUntil([&] { return !second->Visible(); }));
  ExpectCleanQuit(QuitHost(), kBoth);
  EXPECT_EQ(ReadFile(WebFile("town.htm")), after);
}

TEST_F(SessionTest, CancelAndEscapeWriteNothing) {
  const auto before = ReadFile(WebFile("town.htm"));
  ASSERT_NO_FATAL_FAILURE(OpenWithAStoredText(L"Changed"));
  dialog_->Click(L"Cancel");
  ASSERT_TRUE(WaitUntil([&] { return !dialog_->Visible(); }));
  EXPECT_EQ(ReadFile(WebFile("town.htm")), before);

  ClickTessaly();
  auto again = AreaDialog::Find(host_);
  ASSERT_TRUE(again);
  ASSERT_TRUE(WaitUntil([&] { return again->Visible(); }));
  EXPECT_EQ(again->AltText(), L"Home") << "the new session starts from the page";
  again->TypeAltText(L"!");
  again->PressEscape();
  ASSERT_TRUE(WaitUntil([&] { return !again->Visible(); })) << "Escape did not cancel";
  ExpectCleanQuit(QuitHost(), kBoth);
  EXPECT_EQ(ReadFile(WebFile("town.htm")), before);
}

TEST_F(SessionTest, ThePageCannotBeClosedWhileItsDialogIsOpen) {
  ASSERT_NO_FATAL_FAILURE(OpenDialog());
  const auto& dialog = dialog_;

  ASSERT_TRUE(host_.ClickHostCommand(L"Close Page"));
  AnswerBox(kFrontPage,
            L"You are currently editing an image map on this page.\r\n\r\n"
            L"Please finish editing the image map before closing this page.",
            kOk, L"OK");
  EXPECT_EQ(host_.Title(), Title("town.htm"));

  // Nor can the dialog be closed but through OK or Cancel.
  ASSERT_TRUE(dialog->CloseFromSystemMenu()) << "the dialog did not answer the close request";
  EXPECT_TRUE(dialog->Visible());

  dialog->Click(L"Cancel");
  ASSERT_TRUE(WaitUntil([&] { return !dialog->Visible(); }));
  ASSERT_TRUE(host_.ClickHostCommand(L"Close Page"));
  EXPECT_TRUE(WaitUntil([&] { return host_.Title() == L"Stand-in FrontPage"; })) << "the page did not close";
  EXPECT_FALSE(host_.BoxOpen());
  ExpectCleanQuit(QuitHost(), kBoth);
}

TEST_F(SessionTest, UntickedInTheAddInsListWhileItsDialogIsOpenTheDialogGoesAndNothingIsWritten) {
  const auto before = ReadFile(WebFile("town.htm"));
  ASSERT_NO_FATAL_FAILURE(OpenWithAStoredText(L"never written"));

  // The list is sorted by friendly name: "Zarvik Support", "Zarvik Tessaly".
  ASSERT_TRUE(host_.ClickHostCommand(L"COM Add-Ins", 1));
  EXPECT_TRUE(WaitUntil([&] { return !IsWindow(dialog_->hwnd()); })) << "the dialog outlived its add-in";
  EXPECT_FALSE(host_.BoxOpen());
  ASSERT_TRUE(host_.ClickHostCommand(L"COM Add-Ins", 0));
  // With its add-in gone, the page closes like any other.
  ASSERT_TRUE(host_.ClickHostCommand(L"Close Page"));
  EXPECT_TRUE(WaitUntil([&] { return host_.Title() == L"Stand-in FrontPage"; })) << "the page did not close";
  EXPECT_FALSE(host_.BoxOpen());
  ExpectCleanQuit(QuitHost(), kBoth);
  EXPECT_EQ(ReadFile(WebFile("town.htm")), before);
}

TEST_F(SessionTest, TheHostQuittingWithTheDialogOpenClosesItAndWritesNothing) {
  const auto before = ReadFile(WebFile("town.htm"));
  ASSERT_NO_FATAL_FAILURE(OpenWithAStoredText(L"never written"));
  ExpectCleanQuit(QuitHost(), kBoth);
  EXPECT_EQ(ReadFile(WebFile("town.htm")), before);
}

TEST_F(SessionTest, TheDialogIsTopMostAndStaysSoOnASecondClick) {
  ASSERT_NO_FATAL_FAILURE(OpenDialog());
  const auto& dialog = dialog_;
  const auto topMost = [&] { return (GetWindowLongW(dialog->hwnd(), GWL_EXSTYLE) & WS_EX_TOPMOST) != 0; };
  EXPECT_TRUE(WaitUntil(topMost)) << "the dialog is not top-most";
  // The second click is done once the focus is back in the text box.
  dialog->FocusOn(L"OK");
  ASSERT_TRUE(WaitUntil([&] { return dialog->Focus() == dialog->Button(L"OK"); }));
  ClickTessaly();
  ASSERT_TRUE(WaitUntil([&] { return dialog->Focus() == dialog->AltBox(); })) << "the second click did not arrive";
  EXPECT_TRUE(topMost()) << "a second click left the dialog not top-most";
  EXPECT_TRUE(dialog->Visible());
  dialog->Click(L"Cancel");
  ASSERT_TRUE(WaitUntil([&] { return !dialog->Visible(); }));
  ExpectCleanQuit(QuitHost(), kBoth);
}

}  // namespace
}  // namespace e2e
