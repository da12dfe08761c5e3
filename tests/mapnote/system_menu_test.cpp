// The dialog's system menu: its Close item is taken out of use at load, and
// a close from the window's control menu never ends the session.
#include "author.h"
#include "mapnote/frm_main.h"

namespace mapnote_test {
namespace {

constexpr std::uint32_t kDisabledCloseId = 0xFFFFFFF6;  // -10

class SystemMenuTest : public AuthorTest {
 protected:
  standin::HeadlessForm Open() {
    author.host->OpenWeb();
    author.OpenPageWithAreas(kPageA, NumberedAreas(2));
    author.ClickTessaly();
    return author.Dialog();
  }

  bool SentRedraw(std::int32_t hWnd) const {
    for (const auto& m : author.host->Windows().Sent()) {
      if (m.hWnd == hWnd && m.msg == host::win::kWmNcActivate && m.wParam == -1 && m.lParam == 0) return true;
    }
    return false;
  }
};

TEST_F(SystemMenuTest, LoadGreysAndChecksTheCloseItemUnderAnotherId) {
  const auto form = Open();
  const auto item = author.host->Windows().CloseItem(form.hWnd());
  ASSERT_TRUE(item.has_value());
  EXPECT_EQ(item->id, kDisabledCloseId);
  EXPECT_EQ(item->state & host::win::kMfsGrayed, host::win::kMfsGrayed);
  EXPECT_EQ(item->state & host::win::kMfsChecked, host::win::kMfsChecked);
  EXPECT_FALSE(author.host->Windows().CloseButtonEnabled(form.hWnd()));
  EXPECT_TRUE(SentRedraw(form.hWnd()));

  const auto* dialog = author.library->ExistingFrmMain();
  ASSERT_NE(dialog, nullptr);
  EXPECT_EQ(dialog->CloseItemInfo.cbSize, 44u);
  EXPECT_EQ(dialog->CloseItemInfo.wID, kDisabledCloseId);
  author.ExpectNoFailures();
}

TEST_F(SystemMenuTest, ControlMenuCloseIsRefusedAndOtherClosesGoAhead) {
  auto form = Open();
  EXPECT_FALSE(form.CloseFromControlMenu());
  EXPECT_TRUE(form.Visible());
  EXPECT_TRUE(author.host->IsConnected(kProgId));

  host::FormEvents& events = *author.library->ExistingFrmMain();
  host::Int16 cancel = 0;
  events.QueryUnload(cancel, host::Int16(host::vbFormCode));
  EXPECT_EQ(cancel, host::Int16(0));
  events.QueryUnload(cancel, host::Int16(host::vbFormControlMenu));
  EXPECT_EQ(cancel, host::Int16(1));
  author.ExpectNoFailures();
}

// The stand-in's window system, except that chosen SetMenuItemInfoA calls
// report failure without touching the menu, as Win32 does for an item it
// cannot find.
class RefusingMenuUpdates final : public host::User32 {
 public:
  RefusingMenuUpdates(host::User32& inner, int refusedCall) : inner_(inner), refusedCall_(refusedCall) {}

  std::int32_t SetWindowPos(std::int32_t h, std::int32_t after, std::int32_t x, std::int32_t y, std::int32_t cx,
                            std::int32_t cy, std::uint32_t flags) override {
    return inner_.SetWindowPos(h, after, x, y, cx, cy, flags);
  }
  std::int32_t SetForegroundWindow(std::int32_t h) override { return inner_.SetForegroundWindow(h); }
  std::int32_t GetSystemMenu(std::int32_t h, std::int32_t revert) override { return inner_.GetSystemMenu(h, revert); }
  std::int32_t GetMenuItemInfoA(std::int32_t menu, std::uint32_t item, std::int32_t byPosition,
                                host::MENUITEMINFOA& info) override {
    return inner_.GetMenuItemInfoA(menu, item, byPosition, info);
  }
  std::int32_t SetMenuItemInfoA(std::int32_t menu, std::uint32_t item, std::int32_t byPosition,
                                host::MENUITEMINFOA& info) override {
    if (++calls_ == refusedCall_) return 0;
    return inner_.SetMenuItemInfoA(menu, item, byPosition, info);
  }
  std::int32_t SendMessageA(std::int32_t h, std::uint32_t msg, std::int32_t w, std::int32_t l) override {
    return inner_.SendMessageA(h, msg, w, l);
  }

 private:
  host::User32& inner_;
  int refusedCall_;
  int calls_ = 0;
};

TEST_F(SystemMenuTest, RefusedIdChangeKeepsTheRecordOnTheRealItem) {
  RefusingMenuUpdates user32(author.host->Windows(), 1);
  author.UseUser32(user32);
  const auto form = Open();

  // The record still names the item by SC_CLOSE, so the last update reaches it.
  const auto* dialog = author.library->ExistingFrmMain();
  ASSERT_NE(dialog, nullptr);
  EXPECT_EQ(dialog->CloseItemInfo.wID, host::win::kScClose);
  const auto item = author.host->Windows().CloseItem(form.hWnd());
  ASSERT_TRUE(item.has_value());
  EXPECT_EQ(item->id, host::win::kScClose);
  EXPECT_EQ(item->state & host::win::kMfsChecked, host::win::kMfsChecked);
  EXPECT_FALSE(SentRedraw(form.hWnd())) << "nothing changed that needs a redraw";

  // The session still cannot be closed from the control menu.
  auto dialogForm = form;
  EXPECT_FALSE(dialogForm.CloseFromControlMenu());
  EXPECT_TRUE(dialogForm.Visible());
  author.ExpectNoFailures();
}

TEST_F(SystemMenuTest, FailingLoadLeavesNoHalfBuiltDialog) {
  author.host->OpenWeb();
  author.OpenPageWithAreas(kPageA, NumberedAreas(2));
  author.FailNext("User32.GetSystemMenu", 0x80041004);
  author.ClickTessaly();
  EXPECT_EQ(author.host->Toolkit().CountForms(kDialogTitle), 0);
  EXPECT_EQ(author.library->ExistingFrmMain(), nullptr);
  EXPECT_EQ(author.FailureCodes(), std::vector<std::uint32_t>{0x80041004});

  // The next click loads a whole dialog.
  author.ClickTessaly();
  ASSERT_TRUE(author.DialogOpen());
  EXPECT_EQ(author.host->Windows().CloseItem(author.Dialog().hWnd())->id, kDisabledCloseId);
}

}  // namespace
}  // namespace mapnote_test
