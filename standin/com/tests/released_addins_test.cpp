// The real DLLs loaded in-process by the stand-in host through its COM
// faces, released by a host that ends without disconnecting them, as a
// crashing or careless host does: they give every host object back then,
// and may be unloaded, rather than letting go when their DLLs unload.
#include "standin/host.h"

#include <windows.h>
#include <ole2.h>

#include <gtest/gtest.h>

#include "host/com/module.h"
#include "standin/com/com_addin.h"
#include "standin/live_objects.h"

namespace standin::com {
namespace {

struct ComApartment {
  ComApartment() { OleInitialize(nullptr); }
  ~ComApartment() { OleUninitialize(); }
};

bool Register(const char* dll) {
  HMODULE module = LoadLibraryA(dll);
  if (!module) return false;
  using Entry = HRESULT(STDAPICALLTYPE*)();
  auto registerServer = reinterpret_cast<Entry>(reinterpret_cast<void*>(GetProcAddress(module, "DllRegisterServer")));
  const bool registered = registerServer && SUCCEEDED(registerServer());
  FreeLibrary(module);
  return registered;
}

bool WriteMenuEntry() {
  HKEY key = nullptr;
  if (RegCreateKeyA(HKEY_CURRENT_USER, "SOFTWARE\\Zarvik\\Add-ins", &key) != ERROR_SUCCESS) return false;
  const char entry[] = "Mapnote,Tessaly...";
  const bool written = RegSetValueExA(key, "1", 0, REG_SZ, reinterpret_cast<const BYTE*>(entry), sizeof(entry)) ==
                       ERROR_SUCCESS;
  RegCloseKey(key);
  return written;
}

TEST(ReleasedAddIns, AHostThatNeverDisconnectsThemGetsEveryObjectBackWhenItReleasesThem) {
  ComApartment apartment;
  ASSERT_TRUE(Register(MAPNOTE_DLL));
  ASSERT_TRUE(Register(ZARVIK_DLL));
  ASSERT_TRUE(WriteMenuEntry());
  const long faces = host::com::Module::Instance().objects();
  const auto live = LiveObjectsByKind();
  auto servers = std::make_shared<LoadedServers>();
  {
    Host host;
    host.RegisterAddIn(u"zarvik.Connect", u"Zarvik Support", u"Support", 3, ComAddInFactory(L"zarvik.Connect", servers));
    host.RegisterAddIn(u"Mapnote.Connect", u"Zarvik Tessaly", u"Tessaly", 9,
                       ComAddInFactory(L"Mapnote.Connect", servers));
    host.Start();
    host.OpenWeb();
    host.OpenPage(u"http://localhost/web/map.htm", {{u"home.htm", std::nullopt}, {u"about.htm", u"About"}});
    host.Click({u"Zarvik", u"Tessaly..."});
    ASSERT_TRUE(host.Failures().empty());
    ASSERT_TRUE(host.IsConnected(u"Mapnote.Connect"));
    HWND dialog = FindWindowW(nullptr, L"Image Map ALT Text");
    ASSERT_TRUE(dialog && IsWindowVisible(dialog)) << "no dialog";
    host.Crash();
    EXPECT_FALSE(IsWindow(dialog)) << "the dialog outlived its add-in";
  }
  EXPECT_EQ(Describe(LiveObjectsByKind()), Describe(live)) << "host objects held by the released add-ins";
  EXPECT_EQ(host::com::Module::Instance().objects(), faces) << "COM objects of the host still referenced";
  const auto answers = servers->AskCanUnloadNow();
  ASSERT_EQ(answers.size(), 2u);
  for (const auto& answer : answers) EXPECT_EQ(answer.canUnloadNow, S_OK) << std::string(answer.path.begin(), answer.path.end());
}

}  // namespace
}  // namespace standin::com
