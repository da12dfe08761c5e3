// The area dialog as a real window: layout, look, and how it raises events.
#include <gtest/gtest.h>

#include "mapnote/frm_main_design.h"
#include "mapnote/win/ui/tests/test_window.h"

#include <commctrl.h>

namespace mapnote::win::testing {
namespace {

using mapnote::controls::cmdMove;

int ScreenDpi() {
  HDC screen = ::GetDC(nullptr);
  const int dpi = ::GetDeviceCaps(screen, LOGPIXELSX);
  ::ReleaseDC(nullptr, screen);
  return dpi;
}

RECT ClientRectOf(HWND control, HWND dialog) {
  RECT r;
  ::GetWindowRect(control, &r);
  ::MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&r), 2);
  return r;
}

struct PixelRect {
  const char* control;
  LONG left, top, width, height;
};

// The design's twips at 15 to the pixel; controls of Frame1 are moved by
// the frame's own position (6, 2).
constexpr PixelRect kExpected[] = {
    {"Frame1", 6, 2, 291, 163},       {"Label1", 13, 15, 111, 11},      {"txtLink", 13, 30, 275, 20},
    {"Label2", 13, 67, 134, 15},      {"txtMapnote", 13, 82, 275, 20},  {"cmdMove(0)", 13, 110, 62, 18},
    {"cmdMove(1)", 84, 110, 62, 18},  {"cmdMove(2)", 155, 110, 62, 18}, {"cmdMove(3)", 226, 110, 62, 18},
    {"lblStatus", 13, 143, 272, 17},  {"chkSave", 6, 170, 192, 17},     {"cmdOK", 163, 210, 62, 25},
    {"cmdCancel", 234, 210, 62, 25},
};

TEST(AreaDialogWindow, PlacesEveryControlAtItsTwipsPositionAt96Dpi) {
  if (ScreenDpi() != 96) GTEST_SKIP() << "the screen is not at 96 DPI";
  TestDialog dialog(FrmMainDesign());
  const auto windows = ControlWindows(*dialog.view, FrmMainDesign());
  ASSERT_EQ(windows.size(), std::size(kExpected));

  RECT client;
  ::GetClientRect(dialog.hwnd(), &client);
  EXPECT_EQ(client.right, 304);
  EXPECT_EQ(client.bottom, 243);
  for (const PixelRect& want : kExpected) {
    SCOPED_TRACE(want.control);
    const RECT got = ClientRectOf(windows.at(want.control), dialog.hwnd());
    EXPECT_EQ(got.left, want.left);
    EXPECT_EQ(got.top, want.top);
    EXPECT_EQ(got.right - got.left, want.width);
    EXPECT_EQ(got.bottom - got.top, want.height);
  }
}

TEST(AreaDialogWindow, LooksLikeTheDesignedDialog) {
  TestDialog dialog(FrmMainDesign());
  HWND hwnd = dialog.hwnd();
  const auto windows = ControlWindows(*dialog.view, FrmMainDesign());

  wchar_t title[64] = {};
  ::GetWindowTextW(hwnd, title, 64);
  EXPECT_EQ(std::wstring(title), L"Image Map ALT Text");
  const LONG style = ::GetWindowLongW(hwnd, GWL_STYLE);
  EXPECT_TRUE(style & WS_SYSMENU);
  EXPECT_FALSE(style & WS_MINIMIZEBOX);
  EXPECT_FALSE(style & WS_MAXIMIZEBOX);
  EXPECT_FALSE(::IsWindowVisible(hwnd)) << "built hidden";

  auto icon = reinterpret_cast<HICON>(::SendMessageW(hwnd, WM_GETICON, ICON_BIG, 0));
  ASSERT_NE(icon, nullptr);
  ICONINFO info{};
  ASSERT_TRUE(::GetIconInfo(icon, &info));
  BITMAP colour{};
  ::GetObjectW(info.hbmColor, sizeof colour, &colour);
  EXPECT_EQ(colour.bmWidth, 32);
  EXPECT_EQ(colour.bmHeight, 32);
  ::DeleteObject(info.hbmColor);
  ::DeleteObject(info.hbmMask);

  // One font for all text.
  const auto font = reinterpret_cast<HFONT>(::SendMessageW(windows.at("Label1"), WM_GETFONT, 0, 0));
  ASSERT_NE(font, nullptr);
  for (const auto& [name, control] : windows) {
    EXPECT_EQ(reinterpret_cast<HFONT>(::SendMessageW(control, WM_GETFONT, 0, 0)), font) << name;
  }

  EXPECT_TRUE(::GetWindowLongW(windows.at("txtLink"), GWL_STYLE) & ES_READONLY);
  EXPECT_FALSE(::GetWindowLongW(windows.at("txtMapnote"), GWL_STYLE) & ES_READONLY);
  EXPECT_EQ(dialog.view->GetValue(controls::chkSave), 1) << "checked when it opens";
  EXPECT_EQ(dialog.view->GetText(controls::Label1), u"Area links to this file:");
}

TEST(AreaDialogWindow, PaintsTheReadOnlyBoxInTheScrollBarColour) {
  TestDialog dialog(FrmMainDesign());
  const auto windows = ControlWindows(*dialog.view, FrmMainDesign());
  HDC dc = ::GetDC(dialog.hwnd());
  ::SetBkColor(dc, RGB(1, 2, 3));

  const auto linkBrush = ::SendMessageW(dialog.hwnd(), WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                                        reinterpret_cast<LPARAM>(windows.at("txtLink")));
  EXPECT_EQ(reinterpret_cast<HBRUSH>(linkBrush), ::GetSysColorBrush(COLOR_SCROLLBAR));
  EXPECT_EQ(::GetBkColor(dc), ::GetSysColor(COLOR_SCROLLBAR));

  const auto labelBrush = ::SendMessageW(dialog.hwnd(), WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                                         reinterpret_cast<LPARAM>(windows.at("Label1")));
  EXPECT_NE(reinterpret_cast<HBRUSH>(labelBrush), ::GetSysColorBrush(COLOR_SCROLLBAR)) << "only txtLink";
  ::ReleaseDC(dialog.hwnd(), dc);
}

// The tooltip window that has a tool for this control of the dialog.
struct TooltipSearch {
  HWND dialog, control;
  HWND found = nullptr;
};

BOOL CALLBACK FindTooltips(HWND hwnd, LPARAM lParam) {
  auto* search = reinterpret_cast<TooltipSearch*>(lParam);
  wchar_t cls[64] = {};
  ::GetClassNameW(hwnd, cls, 64);
  if (std::wstring(cls) != TOOLTIPS_CLASSW) return TRUE;
  TTTOOLINFOW tool{};
  tool.cbSize = TTTOOLINFOW_V2_SIZE;
  tool.hwnd = search->dialog;
  tool.uId = reinterpret_cast<UINT_PTR>(search->control);
  if (::SendMessageW(hwnd, TTM_GETTOOLINFOW, 0, reinterpret_cast<LPARAM>(&tool))) search->found = hwnd;
  return search->found == nullptr;
}

HWND TooltipsOf(HWND dialog, HWND control) {
  TooltipSearch search{dialog, control};
  ::EnumThreadWindows(::GetCurrentThreadId(), FindTooltips, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

TEST(AreaDialogWindow, GivesTheMoveButtonsTheirTooltips) {
  HWND tips = nullptr;
  {
    TestDialog dialog(FrmMainDesign());
    const auto windows = ControlWindows(*dialog.view, FrmMainDesign());
    tips = TooltipsOf(dialog.hwnd(), windows.at("cmdMove(0)"));
    ASSERT_NE(tips, nullptr);
    EXPECT_EQ(::SendMessageW(tips, TTM_GETTOOLCOUNT, 0, 0), 4);
    // Owned by no window: under Wine a window that owns a top-most popup
    // cannot be made top-most itself.
    EXPECT_EQ(::GetWindow(tips, GW_OWNER), nullptr);

    const std::pair<const char*, const wchar_t*> expected[] = {
        {"cmdMove(0)", L"First Area"}, {"cmdMove(1)", L"Previous Area"},
        {"cmdMove(2)", L"Next Area"},  {"cmdMove(3)", L"Last Area"}};
    for (const auto& [control, text] : expected) {
      wchar_t buffer[80] = {};
      TTTOOLINFOW tool{};
      tool.cbSize = TTTOOLINFOW_V2_SIZE;
      tool.hwnd = dialog.hwnd();
      tool.uId = reinterpret_cast<UINT_PTR>(windows.at(control));
      tool.lpszText = buffer;
      ::SendMessageW(tips, TTM_GETTEXTW, std::size(buffer), reinterpret_cast<LPARAM>(&tool));
      EXPECT_EQ(std::wstring(buffer), text) << control;
    }
  }
  EXPECT_FALSE(::IsWindow(tips)) << "the tooltips outlived their dialog";
}

// The room a control leaves its caption: a button's borders and focus
// rectangle, a check box's box and the gap after it.
int CaptionRoom(HWND control, host::ControlKind kind) {
  RECT client;
  ::GetClientRect(control, &client);
  switch (kind) {
    case host::ControlKind::CommandButton:
      return client.right - 6;
    case host::ControlKind::CheckBox:
      return client.right - ::GetSystemMetrics(SM_CXMENUCHECK) - 4;
    default:
      return client.right;
  }
}

TEST(AreaDialogWindow, EveryCaptionFitsItsControlInTheDialogFont) {
  TestDialog dialog(FrmMainDesign());
  const auto windows = ControlWindows(*dialog.view, FrmMainDesign());
  for (const auto& c : FrmMainDesign().controls) {
    if (c.kind == host::ControlKind::Frame || c.kind == host::ControlKind::TextBox) continue;
    const std::string name = Key({c.name, c.index});
    SCOPED_TRACE(name);
    HWND control = windows.at(name);
    const auto font = reinterpret_cast<HFONT>(::SendMessageW(control, WM_GETFONT, 0, 0));
    ASSERT_NE(font, nullptr);
    LOGFONTW face{};
    ::GetObjectW(font, sizeof(face), &face);
    EXPECT_EQ(std::wstring(face.lfFaceName), L"MS Sans Serif");
    std::vector<host::Text> captions = {c.caption};
    // The longest status a session shows.
    if (c.name == "lblStatus") captions.push_back(u"Image Map Area 32767 of 32767");
    HDC dc = ::GetDC(control);
    const HGDIOBJ previous = ::SelectObject(dc, font);
    for (const auto& caption : captions) {
      SIZE size{};
      ASSERT_TRUE(::GetTextExtentPoint32W(dc, reinterpret_cast<const wchar_t*>(caption.c_str()),
                                          static_cast<int>(caption.size()), &size));
      EXPECT_LE(size.cx, CaptionRoom(control, c.kind)) << "\"" << host::ToUtf8(caption) << "\" is clipped";
    }
    ::SelectObject(dc, previous);
    ::ReleaseDC(control, dc);
  }
}

TEST(AreaDialogWindow, RaisesClicksOfButtonsAndTheCheckBox) {
  TestDialog dialog(FrmMainDesign());
  const auto windows = ControlWindows(*dialog.view, FrmMainDesign());

  ::SendMessageW(windows.at("cmdMove(1)"), BM_CLICK, 0, 0);
  ::SendMessageW(windows.at("chkSave"), BM_CLICK, 0, 0);
  EXPECT_EQ(dialog.events.clicks, (std::vector<std::string>{"cmdMove(1)", "chkSave"}));
  EXPECT_EQ(dialog.view->GetValue(controls::chkSave), 0);

  dialog.view->SetEnabled(cmdMove(1), false);
  EXPECT_FALSE(dialog.view->GetEnabled(cmdMove(1)));
  EXPECT_FALSE(::IsWindowEnabled(windows.at("cmdMove(1)")));
  dialog.view->SetText(controls::txtMapnote, u"Lighthouse \u00e9t\u00e9");
  EXPECT_EQ(dialog.view->GetText(controls::txtMapnote), u"Lighthouse \u00e9t\u00e9");
  EXPECT_THROW(dialog.view->GetText({"noSuchControl"}), host::Error);
}

TEST(AreaDialogWindow, AsksQueryUnloadOnEveryCloseFromTheControlMenu) {
  TestDialog dialog(FrmMainDesign());
  dialog.events.refuseClose = true;
  dialog.view->ShowModeless();

  ::SendMessageW(dialog.hwnd(), WM_SYSCOMMAND, SC_CLOSE, 0);
  ::SendMessageW(dialog.hwnd(), WM_CLOSE, 0, 0);
  EXPECT_EQ(dialog.events.unloadModes, (std::vector<std::int16_t>{host::vbFormControlMenu, host::vbFormControlMenu}));
  EXPECT_TRUE(::IsWindow(dialog.hwnd()));
  EXPECT_TRUE(dialog.view->Visible()) << "refused";
  EXPECT_TRUE(dialog.events.clicks.empty()) << "a close is not a Cancel";

  dialog.events.refuseClose = false;
  ::SendMessageW(dialog.hwnd(), WM_SYSCOMMAND, SC_CLOSE, 0);
  EXPECT_FALSE(dialog.view->Visible()) << "agreed";
}

TEST(AreaDialogWindow, ShowsAFailingHandlerInAMessageBoxAndKeepsRunning) {
  TestDialog dialog(FrmMainDesign());
  const auto windows = ControlWindows(*dialog.view, FrmMainDesign());
  dialog.events.onClick = [](const host::ControlId&) {
    throw host::Error(host::code::SubscriptOutOfRange, u"Subscript out of range");
  };

  ::SendMessageW(windows.at("cmdOK"), BM_CLICK, 0, 0);
  ASSERT_EQ(dialog.boxes.prompts.size(), 1u);
  EXPECT_NE(dialog.boxes.prompts[0].find(u"0x800A0009"), host::Text::npos);
  EXPECT_NE(dialog.boxes.prompts[0].find(u"Subscript out of range"), host::Text::npos);

  dialog.events.onClick = nullptr;
  ::SendMessageW(windows.at("cmdCancel"), BM_CLICK, 0, 0);
  EXPECT_EQ(dialog.events.clicks, (std::vector<std::string>{"cmdOK", "cmdCancel"}));
}

TEST(AreaDialogWindow, SurvivesAHandlerThatDropsTheDialog) {
  TestDialog dialog(FrmMainDesign());
  const auto windows = ControlWindows(*dialog.view, FrmMainDesign());
  HWND hwnd = dialog.hwnd();
  dialog.events.onClick = [&](const host::ControlId&) { dialog.view.reset(); };

  ::SendMessageW(windows.at("cmdOK"), BM_CLICK, 0, 0);
  EXPECT_EQ(dialog.view, nullptr);
  EXPECT_FALSE(::IsWindow(hwnd));
  EXPECT_TRUE(dialog.boxes.prompts.empty());
}

}  // namespace
}  // namespace mapnote::win::testing
