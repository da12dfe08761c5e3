// Message boxes on the real user32: a hook answers the box as a user would.
#include "mapnote/win/ui/win_messagebox.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <string>

namespace mapnote::win {
namespace {

struct SeenBox {
  HWND box = nullptr;
  std::wstring title;
  std::wstring prompt;
  int answer = IDNO;
};
SeenBox seen;

BOOL CALLBACK FindPrompt(HWND child, LPARAM) {
  wchar_t cls[32] = {}, text[256] = {};
  ::GetClassNameW(child, cls, 32);
  ::GetWindowTextW(child, text, 256);
  if (_wcsicmp(cls, L"Static") == 0 && text[0]) seen.prompt = text;
  return TRUE;
}

LRESULT CALLBACK Answer(int code, WPARAM wParam, LPARAM lParam) {
  // Answered once it is up; read as it goes, when it is surely filled in.
  if (code == HCBT_ACTIVATE && !seen.box) {
    seen.box = reinterpret_cast<HWND>(wParam);
    ::PostMessageW(seen.box, WM_COMMAND, seen.answer, 0);
  }
  if (code == HCBT_DESTROYWND && reinterpret_cast<HWND>(wParam) == seen.box) {
    wchar_t title[256] = {};
    ::GetWindowTextW(seen.box, title, 256);
    seen.title = title;
    ::EnumChildWindows(seen.box, FindPrompt, 0);
  }
  return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

TEST(MessageBoxes, ShowPromptAndTitleAndReturnTheButtonPressed) {
  HHOOK hook = ::SetWindowsHookExW(WH_CBT, Answer, nullptr, ::GetCurrentThreadId());
  ASSERT_NE(hook, nullptr);
  WinMessageBoxes boxes;

  seen = {};
  seen.answer = IDNO;
  EXPECT_EQ(boxes.MsgBox(u"Save the page \u00e9t\u00e9 first?", host::mb::AskYesNo, u"Microsoft FrontPage"),
            host::mb::ResultNo);
  EXPECT_EQ(seen.title, L"Microsoft FrontPage");
  EXPECT_EQ(seen.prompt, L"Save the page \u00e9t\u00e9 first?");

  seen = {};
  seen.answer = IDYES;
  EXPECT_EQ(boxes.MsgBox(u"Again?", host::mb::AskYesNo, u"Zarvik Tessaly"), host::mb::ResultYes);
  EXPECT_EQ(seen.title, L"Zarvik Tessaly");
  ::UnhookWindowsHookEx(hook);
}

}  // namespace
}  // namespace mapnote::win
