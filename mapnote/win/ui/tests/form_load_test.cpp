// The add-in's own dialog code on the real window and the real user32: the
// system menu after Form_Load, and the closes it refuses.
#include <gtest/gtest.h>

#include "mapnote/frm_main.h"
#include "mapnote/frm_main_design.h"
#include "mapnote/library_context.h"
#include "mapnote/win/ui/tests/test_window.h"
#include "mapnote/win/ui/win_user32.h"

namespace mapnote::win::testing {
namespace {

// Just enough host for the end of an editing session: the add-in list.
struct AddIn final : host::COMAddIn {
  std::vector<std::int16_t> connectWrites;
  host::Text ProgId() override { return u"Mapnote.Connect"; }
  host::Bool16 Connect() override { return host::True; }
  void put_Connect(host::Bool16 value) override { connectWrites.push_back(value.value); }
  host::Connection Advise(host::AddInInstanceEvents&) override { return {}; }
};

struct AddIns final : host::COMAddIns {
  std::shared_ptr<AddIn> mapnote = std::make_shared<AddIn>();
  std::vector<host::Text> lookups;
  host::Ref<host::COMAddIn> Item(const host::Variant& index) override {
    lookups.push_back(index.ToText());
    return mapnote;
  }
  std::int32_t Count() override { return 1; }
};

struct FakeApplication final : host::HostApplication {
  std::shared_ptr<AddIns> addIns = std::make_shared<AddIns>();
  host::Ref<host::PageWindow> ActivePageWindow() override { return nullptr; }
  host::Ref<host::WebWindow> ActiveWebWindow() override { return nullptr; }
  host::Ref<host::CommandBars> CommandBars() override { return nullptr; }
  host::Ref<host::COMAddIns> COMAddIns() override { return addIns; }
  host::Connection Advise(host::ApplicationEvents&) override { return {}; }
};

struct Globals final : host::HostGlobals {
  std::shared_ptr<FakeApplication> application = std::make_shared<FakeApplication>();
  host::Ref<host::HostApplication> Application() override { return application; }
};

class LoadedAreaDialog : public ::testing::Test {
 protected:
  HWND Window() { return reinterpret_cast<HWND>(static_cast<std::intptr_t>(library.FrmMain().View().hWnd())); }

  Globals globals;
  BoxLog boxes;
  WinDialogToolkit toolkit{ThisModule(), boxes};
  WinUser32 user32;
  LibraryContext library{globals, boxes, toolkit, user32};
};

TEST_F(LoadedAreaDialog, TheCloseItemEndsGreyedAndCheckedUnderIdentifierMinus10) {
  HMENU menu = ::GetSystemMenu(Window(), FALSE);
  ASSERT_NE(menu, nullptr);
  EXPECT_EQ(library.FrmMain().SystemMenuHandle, static_cast<std::int32_t>(reinterpret_cast<std::intptr_t>(menu)));

  const UINT moved = ::GetMenuState(menu, static_cast<UINT>(-10), MF_BYCOMMAND);
  ASSERT_NE(moved, static_cast<UINT>(-1)) << "no item with identifier -10";
  EXPECT_TRUE(moved & MF_GRAYED);
  EXPECT_TRUE(moved & MF_CHECKED);
  EXPECT_EQ(::GetMenuState(menu, SC_CLOSE, MF_BYCOMMAND), static_cast<UINT>(-1)) << "SC_CLOSE is gone";

  // The record holds what the calls wrote back.
  const host::MENUITEMINFOA& record = library.FrmMain().CloseItemInfo;
  EXPECT_EQ(record.wID, static_cast<std::uint32_t>(-10));
  EXPECT_EQ(record.fState & (MFS_GRAYED | MFS_CHECKED), static_cast<std::uint32_t>(MFS_GRAYED | MFS_CHECKED));
  EXPECT_EQ(record.dwTypeData, std::string(80, '\0'));
}

TEST_F(LoadedAreaDialog, RefusesACloseFromTheControlMenuAndEscapeEndsTheSession) {
  library.FrmMain().View().ShowModeless();
  HWND hwnd = Window();
  ::SetForegroundWindow(hwnd);
  Pump();

  ::SendMessageW(hwnd, WM_SYSCOMMAND, SC_CLOSE, 0);
  ::SendMessageW(hwnd, WM_CLOSE, 0, 0);
  ASSERT_TRUE(::IsWindow(hwnd));
  EXPECT_TRUE(::IsWindowVisible(hwnd));
  EXPECT_NE(library.ExistingFrmMain(), nullptr);

  library.FrmMain().View().SetFocus(controls::txtMapnote);
  PressKey(VK_ESCAPE);
  EXPECT_EQ(library.ExistingFrmMain(), nullptr) << "Cancel released the dialog";
  EXPECT_FALSE(::IsWindow(hwnd));
  EXPECT_EQ(globals.application->addIns->lookups, std::vector<host::Text>{u"Mapnote.Connect"});
  EXPECT_EQ(globals.application->addIns->mapnote->connectWrites, std::vector<std::int16_t>{0});
  EXPECT_TRUE(boxes.prompts.empty());
}

}  // namespace
}  // namespace mapnote::win::testing
