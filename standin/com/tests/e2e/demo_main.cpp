// The demo: an author's session on the sample web, through the real host,
// the registered DLLs and the real dialog, told step by step.
//   standin_demo --install                  register both DLLs, import the menu entry
//   standin_demo --session WEB READY DONE   walk the session on WEB (a copy of the
//                                           sample); creates READY while the dialog
//                                           is open to be pictured, and waits for DONE
#include <cstdio>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "host/error.h"
#include "pages/page.h"
#include "standin/com/tests/e2e/checks.h"
#include "standin/com/tests/e2e/files.h"
#include "standin/com/tests/e2e/host_driver.h"
#include "standin/com/tests/e2e/install_addins.h"

namespace e2e {
namespace {

const std::wstring kDialog = L"Image Map ALT Text";

// What the author types for an area that has no text yet, by its link.
const std::map<std::wstring, std::wstring> kNewTexts = {
    {L"breads.htm", L"Our breads"},
    {L"orders.htm", L"Order a cake"},
    {L"mailto:hello@harbourlane.example", L"Write to us"},
};

std::string Utf8(const std::wstring& text) {
  std::string out(WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, out.data(), static_cast<int>(out.size()), nullptr, nullptr);
  out.pop_back();
  return out;
}

// A page's areas as the host reads them: each tag as it stands in the file,
// with its link and alt text.
struct AreaTag {
  std::string source;
  std::wstring href;
  std::optional<std::wstring> alt;
};

std::wstring ToWide(const host::Text& text) { return std::wstring(text.begin(), text.end()); }

std::vector<AreaTag> ReadAreas(const std::string& path) {
  pages::Page page(Utf8(WinePath(path)));
  std::vector<AreaTag> areas;
  for (std::size_t i = 0; i < page.AreaCount(); ++i) {
    const auto alt = page.GetAttribute(i, u"alt");
    areas.push_back({host::ToUtf8(page.AreaSource(i)), ToWide(page.GetAttribute(i, u"href").value_or(u"")),
                     alt ? std::optional(ToWide(*alt)) : std::nullopt});
  }
  return areas;
}

void PrintAreas(const std::vector<AreaTag>& areas) {
  for (std::size_t i = 0; i < areas.size(); ++i) std::printf("  %zu  %s\n", i + 1, areas[i].source.c_str());
}

// The page with every area tag cut down to "<area>": what must not change.
std::optional<std::string> OutsideAreas(const std::string& page, const std::vector<AreaTag>& areas) {
  std::string rest;
  std::size_t from = 0;
  for (const auto& area : areas) {
    const auto at = page.find(area.source, from);
    if (at == std::string::npos) return std::nullopt;
    rest.append(page, from, at - from).append("<area>");
    from = at + area.source.size();
  }
  return rest.append(page, from);
}

// Walks the dialog as an author does: moves with each button, and types a
// text wherever the dialog shows none.
class Author {
 public:
  Author(const AreaDialog& dialog, std::size_t areas) : dialog_(dialog), areas_(areas) {}

  bool Shows(std::size_t area) const {
    const auto status = L"Image Map Area " + std::to_wstring(area) + L" of " + std::to_wstring(areas_);
    return WaitUntil([&] { return dialog_.Status() == status; });
  }

  // Presses `button` and waits for `area`; false when it does not come.
  bool Move(const std::wstring& button, std::size_t area) {
    dialog_.Click(button);
    if (!Shows(area)) {
      std::printf("FAILED: %s did not show area %zu (the dialog says \"%s\")\n", Utf8(button).c_str(), area,
                  Utf8(dialog_.Status()).c_str());
      return false;
    }
    return Look(button);
  }

  bool Look(const std::wstring& how) {
    const auto link = dialog_.Link();
    const auto alt = dialog_.AltText();
    std::printf("  %-4s %s   link %s   alt \"%s\"", Utf8(how).c_str(), Utf8(dialog_.Status()).c_str(),
                Utf8(link).c_str(), Utf8(alt).c_str());
    const auto text = kNewTexts.find(link);
    if (!alt.empty() || text == kNewTexts.end()) {
      std::printf("\n");
      return true;
    }
    dialog_.TypeAltText(text->second);
    const bool typed = WaitUntil([&] { return dialog_.AltText() == text->second; });
    std::printf(" -> typed \"%s\"%s\n", Utf8(text->second).c_str(), typed ? "" : " (FAILED: the text did not arrive)");
    return typed;
  }

 private:
  const AreaDialog& dialog_;
  std::size_t areas_;
};

// Runs the dialog part of the session; false at the first step that fails.
bool WalkTheDialog(HostProcess& host, std::size_t areas, const std::string& ready, const std::string& done) {
  std::printf("Click Zarvik > Tessaly...\n");
  if (!host.ClickMenu({L"Zarvik", L"Tessaly..."})) {
    std::printf("FAILED: there is no item Zarvik > Tessaly...\n");
    return false;
  }
  auto found = AreaDialog::Find(host);
  if (!found || !WaitUntil([&] { return found->Visible(); })) {
    std::printf("FAILED: the dialog \"%s\" did not open\n", Utf8(kDialog).c_str());
    return false;
  }
  const AreaDialog& dialog = *found;
  Author author(dialog, areas);
  std::printf("The dialog \"%s\" opens:\n", Utf8(kDialog).c_str());
  if (!author.Shows(1) || !author.Look(L"") || !author.Move(L">", 2)) return false;

  // The picture is taken now, with a typed text showing.
  if (!HoldForPicture(ready, done, {host.MainWindow(), dialog.hwnd()})) {
    std::printf("FAILED: the picture of the dialog was not taken\n");
    return false;
  }
  if (!author.Move(L">", 3) || !author.Move(L">>", areas) || !author.Move(L"<", areas - 1) ||
      !author.Move(L"<", areas - 2) || !author.Move(L"<<", 1) || !author.Move(L">", 2))
    return false;

  std::printf("\"Automatically save changes to page\" is %s; press OK\n", dialog.Checked() ? "checked" : "NOT checked");
  if (!dialog.Checked()) return false;
  dialog.Click(L"OK");
  if (!WaitUntil([&] { return !dialog.Visible(); })) {
    std::printf("FAILED: OK did not close the dialog\n");
    return false;
  }
  if (host.BoxOpen()) {
    const auto box = host.WaitForBox(1s);
    std::printf("FAILED: the host shows \"%s\"\n", box ? Utf8(box->prompt).c_str() : "a message box");
    return false;
  }
  return true;
}

int Session(const std::string& web, const std::string& ready, const std::string& done) {
  const auto page = web + "/sitemap.htm";
  const auto index = web + "/index.htm";
  const auto pageBefore = ReadFile(WinePath(page)), indexBefore = ReadFile(WinePath(index));
  if (pageBefore.empty() || indexBefore.empty()) {
    std::printf("FAILED: the sample web is not at %s\n", web.c_str());
    return 2;
  }
  const auto before = ReadAreas(page);
  std::printf("\nThe page before: sitemap.htm, %zu areas\n", before.size());
  PrintAreas(before);

  std::printf("\nStart the host on the web, with sitemap.htm open\n");
  HostProcess host;
  if (!host.Start(L"\"" + WinePath(E2E_STANDIN_EXE) + L"\" --web \"" + WinePath(web) + L"\" --open sitemap.htm")) {
    std::printf("FAILED: the host did not show its main window\n");
    return 3;
  }
  const bool walked = WalkTheDialog(host, before.size(), ready, done);
  if (!walked) MarkReady(ready);  // lets the caller stop waiting for a picture
  DWORD exitCode = 1;
  const bool quit = host.Quit(&exitCode);
  std::printf("Quit the host: %s\n", quit && exitCode == 0 ? "exit code 0" : "FAILED");
  if (!walked) return 4;

  const auto after = ReadAreas(page);
  std::printf("\nThe page after:\n");
  PrintAreas(after);

  std::printf("\n");
  Checks check;
  check(after.size() == before.size(), "the page has as many areas as before");
  for (std::size_t i = 0; i < before.size() && i < after.size(); ++i) {
    const auto n = std::to_string(i + 1);
    if (before[i].alt) {
      check(after[i].source == before[i].source, "area " + n + " had a text and its tag is unchanged");
    } else {
      const auto text = kNewTexts.find(before[i].href);
      check(text != kNewTexts.end() && after[i].alt == text->second,
            "area " + n + " now has the typed text \"" + (after[i].alt ? Utf8(*after[i].alt) : "") + "\"");
    }
  }
  const auto outsideBefore = OutsideAreas(pageBefore, before);
  const auto outsideAfter = OutsideAreas(ReadFile(WinePath(page)), after);
  check(outsideBefore && outsideAfter && *outsideBefore == *outsideAfter,
        "every byte outside the area tags is unchanged");
  check(ReadFile(WinePath(index)) == indexBefore, "index.htm is unchanged");
  check(quit && exitCode == 0, "the host quit cleanly");
  return check.failed() == 0 ? 0 : 1;
}

}  // namespace
}  // namespace e2e

int main(int argc, char** argv) {
  try {
    if (argc == 2 && std::string(argv[1]) == "--install")
      return e2e::InstallAddIns({E2E_MAPNOTE_DLL, E2E_ZARVIK_DLL, E2E_MENU_REG});
    if (argc == 5 && std::string(argv[1]) == "--session") return e2e::Session(argv[2], argv[3], argv[4]);
  } catch (const host::Error& error) {
    std::printf("FAILED: %s\n", host::ToUtf8(error.description()).c_str());
    return 5;
  }
  std::fprintf(stderr, "usage: standin_demo --install | --session WEB READY DONE\n");
  return 2;
}
