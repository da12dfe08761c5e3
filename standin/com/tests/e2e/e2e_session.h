#pragma once
// One run of the host on a fresh copy of the sample web, for a test: the
// copy, the command line, the report the host writes at quit, and the
// checks every run ends with.
#include <gtest/gtest.h>

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "standin/com/tests/e2e/files.h"
#include "standin/com/tests/e2e/host_driver.h"

namespace e2e {

// The build's paths, set by the build (Unix paths).
struct Paths {
  static std::string Host();       // standin.exe
  static std::string SampleWeb();  // the sample web in the sources
  static std::string Work();       // scratch space in the build tree
};

struct Report {
  std::string menuBar;
  // Once every add-in was disconnected, with their DLLs still loaded: the
  // COM objects of the host still alive, and the host objects held, by kind.
  long liveAtQuit = -1;
  std::map<std::string, long> heldAtQuit;
  // After the DLLs were unloaded.
  long liveObjects = -1;
  std::map<std::string, std::string> servers;  // DLL file name -> DllCanUnloadNow
  std::vector<std::string> failures;
};

std::optional<Report> ReadReport(const std::wstring& path);

// The area tags of a page, in order, and the page with them cut out.
std::vector<std::string> AreaTags(const std::string& page);
std::string WithoutAreaTags(const std::string& page);
// The alt value of a tag as written (no character references in ours);
// nullopt when it has none.
std::optional<std::string> AltOf(const std::string& tag);

class HostTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Starts the host on this test's web copy, with those pages open.
  void StartHost(const std::vector<std::string>& pages = {});
  // Quits through Exit and reads the report; every run must end with all
  // references released and every loaded DLL ready to unload.
  Report QuitHost();
  void ExpectCleanQuit(const Report& report, std::vector<std::string> servers);

  // Waits for a box, checks it and presses `answer`.
  void AnswerBox(const std::wstring& title, const std::wstring& prompt, const std::vector<std::wstring>& buttons,
                 const std::wstring& answer);
  void ClickTessaly();

  std::wstring WebFile(const std::string& name) const;
  std::wstring web_, report_, bars_;
  HostProcess host_;
};

}  // namespace e2e
