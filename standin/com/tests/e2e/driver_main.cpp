// The end-to-end driver. With --setup it installs the add-ins in the test
// prefix; otherwise it runs the test scenarios.
#include <gtest/gtest.h>

#include <string>

#include "standin/com/tests/e2e/e2e_session.h"
#include "standin/com/tests/e2e/install_addins.h"

namespace e2e {

std::string Paths::Host() { return E2E_STANDIN_EXE; }
std::string Paths::SampleWeb() { return E2E_SAMPLE_WEB; }
std::string Paths::Work() { return E2E_WORK_DIR; }

namespace {

// Opens the dialog on the sample page and holds it open while the caller
// takes a picture of the screen: it creates `ready` and waits for `done`.
int HoldDialogOpen(const std::string& ready, const std::string& done) {
  const auto work = WinePath(Paths::Work());
  const auto web = work + L"\\screenshot";
  CreateDirectoryW(work.c_str(), nullptr);
  CreateDirectoryW(web.c_str(), nullptr);
  const auto page = web + L"\\town.htm";
  if (!CopyFileW((WinePath(Paths::SampleWeb()) + L"\\town.htm").c_str(), page.c_str(), FALSE)) return 2;
  HostProcess host;
  if (!host.Start(L"\"" + WinePath(Paths::Host()) + L"\" --web \"" + web + L"\" --open town.htm")) return 3;
  if (!host.ClickMenu({L"Zarvik", L"Tessaly..."})) return 4;
  auto dialog = AreaDialog::Find(host);
  if (!dialog || !WaitUntil([&] { return dialog->Visible(); })) return 5;
  dialog->PressEnter();
  if (!WaitUntil([&] { return dialog->Status() == L"Image Map Area 2 of 5"; })) return 6;
  dialog->TypeAltText(L"About us");
  if (!WaitUntil([&] { return dialog->AltText() == L"About us"; })) return 7;
  const bool pictured = HoldForPicture(ready, done, {host.MainWindow(), dialog->hwnd()});
  dialog->Click(L"Cancel");
  WaitUntil([&] { return !dialog->Visible(); });
  return host.Quit() && pictured ? 0 : 8;
}

}  // namespace
}  // namespace e2e

int main(int argc, char** argv) {
  if (argc == 2 && std::string(argv[1]) == "--setup")
    return e2e::InstallAddIns({E2E_MAPNOTE_DLL, E2E_ZARVIK_DLL, E2E_MENU_REG});
  if (argc == 4 && std::string(argv[1]) == "--hold-dialog") return e2e::HoldDialogOpen(argv[2], argv[3]);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
