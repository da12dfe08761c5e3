#pragma once
// The stand-in host's main window, laid out as the editor's: the title names
// the host and the active page, the web's pages are listed on the left
// (a double click opens one), and the active page is shown on the right, as
// its image-map areas with their links and alt texts. Its menu bar mirrors
// the host's main command bar ("Menu Bar"), so that an add-in's popup shows
// up as a menu the author can use, and it is rebuilt whenever the bar
// changes. The "&File" menu also carries the host's own commands: open a
// page of the web, a new page, close the active page, save it, the COM
// add-ins list, and exit. A hidden list box, kControlListName, holds the
// bar's controls by their path of captions ("Zarvik > Tessaly...") for tools
// that read windows from outside, as menus cannot be read from another
// process here.
#include "standin/host.h"
#include "standin/html/web_folder.h"

#include <windows.h>

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace standin::com {

inline constexpr const wchar_t* kControlListName = L"Command bar controls";

class MainWindow {
 public:
  MainWindow(Host& host, html::WebFolder web);
  ~MainWindow();
  MainWindow(const MainWindow&) = delete;
  MainWindow& operator=(const MainWindow&) = delete;

  // Creates and shows the window; false when it cannot be created.
  bool Create(HINSTANCE instance);
  HWND hwnd() const { return hwnd_; }

  // The host's own commands, also used from the command line.
  void OpenPage(const host::Text& url);
  void NewPage();
  void CloseActivePage();
  void SaveActivePage();

 private:
  static LRESULT CALLBACK Procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam);

  // Rebuilds the menu bar and the title when what they show has changed.
  void Refresh();
  void ShowActivePage(const std::optional<host::Text>& active);
  void Layout(int width, int height);
  std::wstring MenuSignature();
  HMENU BuildMenuBar();
  void AddHostItems(HMENU file);
  UINT Command(std::function<void()> action);
  // Runs a command; a failure is shown to the author and the host goes on.
  void Run(const std::function<void()>& action);

  Host& host_;
  html::WebFolder web_;
  HWND hwnd_ = nullptr;
  HWND controlList_ = nullptr;
  HWND pages_ = nullptr;
  // The web's pages as the list shows them, read once: the selection runs
  // every refresh tick and must not rescan the folder.
  std::vector<host::Text> listedPages_;
  HWND page_ = nullptr;
  std::wstring shownPage_;
  std::wstring shownSignature_;
  std::wstring shownTitle_;
  std::map<UINT, std::function<void()>> commands_;
  UINT nextCommand_ = 100;
  int newPages_ = 0;
};

}  // namespace standin::com
