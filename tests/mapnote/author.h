#pragma once
// One run of the stand-in host with the image-map add-in loaded, and the
// author's moves on it: the shared popup as the menu add-in leaves it, pages,
// clicks on "Tessaly...", and the dialog.
#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <vector>

#include "host/application.h"
#include "host/user32.h"
#include "mapnote/library_context.h"
#include "standin/host.h"
#include "tests/support/failure_code.h"

namespace mapnote_test {

inline const host::Text kProgId = u"Mapnote.Connect";
inline const host::Text kDialogTitle = u"Image Map ALT Text";
inline const host::Text kWeb = u"http://localhost/web";
inline const host::Text kPageA = u"http://localhost/web/a.htm";
inline const host::Text kPageB = u"http://localhost/web/b.htm";

// The host's global application object as the add-in sees it; it can claim
// that no page window is active, as the host does while the author is in
// its folder view.
class AddInGlobals final : public host::HostGlobals {
 public:
  explicit AddInGlobals(host::HostGlobals& host) : host_(host) {}
  host::Ref<host::HostApplication> Application() override;
  bool hideActivePage = false;

 private:
  host::HostGlobals& host_;
};

// n areas linking "area1.htm" .. "area<n>.htm", none with an alt attribute.
std::vector<standin::Area> NumberedAreas(int n);

class Author {
 public:
  // Without the shared popup, a test builds the menu it needs itself.
  enum class Menu { SharedPopup, None };
  explicit Author(Menu menu = Menu::SharedPopup);
  ~Author();
  Author(const Author&) = delete;
  Author& operator=(const Author&) = delete;

  // Loads the library anew with another window system in front of the
  // stand-in's; only before the add-in first connects.
  void UseUser32(host::User32& user32);

  // The "Zarvik" popup with these (caption, OnAction) buttons, as the menu
  // add-in builds it at start-up.
  void AddPopup(const host::Text& caption, const std::vector<std::pair<host::Text, host::Text>>& buttons);
  void OpenPageWithAreas(const host::Text& url, const std::vector<standin::Area>& areas);
  void ClickTessaly();

  bool DialogOpen() const;  // the dialog exists and is shown
  standin::HeadlessForm Dialog() const;  // fails the test when there is none
  std::array<bool, 4> MoveButtons() const;
  const std::vector<standin::ShownBox>& Boxes() { return host->Boxes().Shown(); }
  // Fails the test unless exactly one box was shown, and that one so.
  void ExpectOneBox(const host::Text& prompt, const host::Text& title, std::int32_t style);
  // Makes the next call of the operation fail with code.
  void FailNext(std::string_view operation, std::uint32_t code);

  // Every failure that reached the host or the dialog toolkit.
  std::vector<std::uint32_t> FailureCodes() const;
  void ExpectNoFailures() const;

  // Quits the host, unloads the library and checks that no host object is left.
  void Finish();

  std::unique_ptr<standin::Host> host;
  std::unique_ptr<AddInGlobals> globals;
  std::unique_ptr<mapnote::LibraryContext> library;
  int connectsMade = 0;

 private:
  std::map<std::string, std::int64_t> liveAtStart_;
  bool finished_ = false;
};

using test_support::FailureCodeOf;

class AuthorTest : public ::testing::Test {
 protected:
  void TearDown() override { author.Finish(); }
  Author author;
};

}  // namespace mapnote_test
