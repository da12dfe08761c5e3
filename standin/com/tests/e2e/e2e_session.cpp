#include "standin/com/tests/e2e/e2e_session.h"

#include <fstream>
#include <regex>
#include <sstream>

namespace e2e {
namespace {

std::string Narrow(const std::wstring& text) { return std::string(text.begin(), text.end()); }

bool CopyFolder(const std::wstring& from, const std::wstring& to) {
  CreateDirectoryW(to.c_str(), nullptr);
  WIN32_FIND_DATAW found{};
  HANDLE search = FindFirstFileW((from + L"\\*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return false;
  bool ok = true;
  do {
    if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
    ok = ok && CopyFileW((from + L"\\" + found.cFileName).c_str(), (to + L"\\" + found.cFileName).c_str(), FALSE);
  } while (FindNextFileW(search, &found));
  FindClose(search);
  return ok;
}

void RemoveFolder(const std::wstring& folder) {
  WIN32_FIND_DATAW found{};
  HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &found);
  if (search != INVALID_HANDLE_VALUE) {
    do {
      if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) DeleteFileW((folder + L"\\" + found.cFileName).c_str());
    } while (FindNextFileW(search, &found));
    FindClose(search);
  }
  RemoveDirectoryW(folder.c_str());
}

}  // namespace

std::optional<Report> ReadReport(const std::wstring& path) {
  std::ifstream in(Narrow(path), std::ios::binary);
  if (!in) return std::nullopt;
  Report report;
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    std::istringstream words(line);
    std::string key;
    words >> key;
    if (key == "menu-bar") {
      std::getline(words >> std::ws, report.menuBar);
    } else if (key == "live-objects-at-quit") {
      words >> report.liveAtQuit;
    } else if (key == "held-at-quit") {
      std::string kind;
      long n = 0;
      words >> kind >> n;
      report.heldAtQuit[kind] = n;
    } else if (key == "live-objects") {
      words >> report.liveObjects;
    } else if (key == "server") {
      // "server PATH DllCanUnloadNow ANSWER ..."; the path may hold spaces
      // (C:\Program Files\...).
      std::string rest, answer;
      std::getline(words >> std::ws, rest);
      const auto label = rest.find(" DllCanUnloadNow ");
      if (label == std::string::npos) continue;
      std::istringstream(rest.substr(label + 17)) >> answer;
      const std::string path = rest.substr(0, label);
      report.servers[path.substr(path.find_last_of('\\') + 1)] = answer;
    } else if (key == "failure") {
      report.failures.push_back(line.substr(8));
    }
  }
  return report;
}

std::vector<std::string> AreaTags(const std::string& page) {
  static const std::regex area("<area\\b[^>]*>", std::regex::icase);
  std::vector<std::string> tags;
  // Our sample comments out one area, which is not one.
  const auto uncommented = std::regex_replace(page, std::regex("<!--[\\s\\S]*?-->"), "");
  for (auto it = std::sregex_iterator(uncommented.begin(), uncommented.end(), area); it != std::sregex_iterator(); ++it)
    tags.push_back(it->str());
  return tags;
}

std::string WithoutAreaTags(const std::string& page) {
  return std::regex_replace(page, std::regex("<area\\b[^>]*>", std::regex::icase), "<area>");
}

std::optional<std::string> AltOf(const std::string& tag) {
  std::smatch match;
  if (!std::regex_search(tag, match, std::regex("\\salt=\"([^\"]*)\"", std::regex::icase))) return std::nullopt;
  return match[1].str();
}

void HostTest::SetUp() {
  const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
  const std::string name = std::string(test->test_suite_name()) + "." + test->name();
  const auto work = WinePath(Paths::Work());
  CreateDirectoryW(work.c_str(), nullptr);
  web_ = work + L"\\" + std::wstring(name.begin(), name.end());
  report_ = web_ + L".report.txt";
  bars_ = web_ + L".bars.txt";
  RemoveFolder(web_);
  DeleteFileW(report_.c_str());
  DeleteFileW(bars_.c_str());
  ASSERT_TRUE(CopyFolder(WinePath(Paths::SampleWeb()), web_)) << "cannot copy the sample web";
}

void HostTest::TearDown() {
  // A test that stopped half-way leaves the host running; it is ended
  // when host_ goes, so that the next test starts on a quiet desktop.
  if (host_.Running()) ADD_FAILURE() << "the host was still running at the end of the test";
}

std::wstring HostTest::WebFile(const std::string& name) const { return web_ + L"\\" + std::wstring(name.begin(), name.end()); }

void HostTest::StartHost(const std::vector<std::string>& pages) {
  std::wstring line = L"\"" + WinePath(Paths::Host()) + L"\" --web \"" + web_ + L"\" --report \"" + report_ +
                      L"\" --bars \"" + bars_ + L"\"";
  for (const auto& page : pages) line += L" --open " + std::wstring(page.begin(), page.end());
  ASSERT_TRUE(host_.Start(line)) << "the host did not show its main window";
}

Report HostTest::QuitHost() {
  EXPECT_FALSE(host_.BoxOpen()) << "a message box was left open";
  DWORD code = 0;
  EXPECT_TRUE(host_.Quit(&code)) << "the host did not quit";
  EXPECT_EQ(code, 0u);
  auto report = ReadReport(report_);
  EXPECT_TRUE(report) << "no report";
  return report.value_or(Report{});
}

void HostTest::ExpectCleanQuit(const Report& report, std::vector<std::string> servers) {
  std::string held;
  for (const auto& [kind, n] : report.heldAtQuit) held += kind + " x" + std::to_string(n) + " ";
  EXPECT_EQ(held, "") << "host objects held by the disconnected add-ins";
  EXPECT_EQ(report.liveAtQuit, 0) << "references held by the disconnected add-ins, before their DLLs were unloaded";
  EXPECT_EQ(report.liveObjects, 0) << "references the host handed out were not released";
  for (const auto& server : servers) {
    const auto found = report.servers.find(server);
    ASSERT_NE(found, report.servers.end()) << server << " was not loaded";
    EXPECT_EQ(found->second, "S_OK") << server << " cannot be unloaded";
  }
  EXPECT_EQ(report.servers.size(), servers.size());
  EXPECT_TRUE(report.failures.empty()) << "first failure: " << (report.failures.empty() ? "" : report.failures[0]);
}

void HostTest::AnswerBox(const std::wstring& title, const std::wstring& prompt,
                         const std::vector<std::wstring>& buttons, const std::wstring& answer) {
  const auto box = host_.WaitForBox();
  ASSERT_TRUE(box) << "no message box \"" << Narrow(prompt) << "\"";
  EXPECT_EQ(Narrow(box->title), Narrow(title));
  EXPECT_EQ(Narrow(box->prompt), Narrow(prompt));
  EXPECT_EQ(box->buttons, buttons);
  ASSERT_TRUE(host_.Press(*box, answer)) << "could not press " << Narrow(answer);
}

void HostTest::ClickTessaly() { ASSERT_TRUE(host_.ClickMenu({L"Zarvik", L"Tessaly..."})) << "no item Zarvik > Tessaly..."; }

}  // namespace e2e
