#include "standin/com/main_window.h"

#include <algorithm>
#include <fstream>
#include <stdexcept>

#include "host/error.h"
#include "standin/html/file_page_content.h"

namespace standin::com {
namespace {

constexpr UINT_PTR kRefreshTimer = 1;
constexpr UINT kRefreshMilliseconds = 100;
constexpr const wchar_t* kClassName = L"StandinHostMainWindow";
constexpr const wchar_t* kTitle = L"Stand-in FrontPage";
constexpr int kPagesWidth = 180;
constexpr int kPagesId = 10;

std::wstring Wide(const host::Text& text) { return std::wstring(text.begin(), text.end()); }

struct MenuEntry {
  host::Text caption;
  bool popup = false;
  std::vector<MenuEntry> children;
};

std::vector<MenuEntry> ReadControls(const host::Ref<host::CommandBarControls>& controls) {
  std::vector<MenuEntry> entries;
  const auto count = controls->Count();
  for (std::int32_t i = 1; i <= count; ++i) {
    auto control = controls->Item(host::Variant(i));
    MenuEntry entry{control->Caption(), false, {}};
    if (auto popup = std::dynamic_pointer_cast<host::CommandBarPopup>(control)) {
      entry.popup = true;
      entry.children = ReadControls(popup->Controls());
    }
    entries.push_back(std::move(entry));
  }
  return entries;
}

std::vector<MenuEntry> ReadMenuBar(Host& host) {
  if (!host.Running()) return {};
  return ReadControls(host.Application()->CommandBars()->Item(host::Variant(u"Menu Bar"))->Controls());
}

void ListPaths(const std::vector<MenuEntry>& entries, const std::wstring& prefix, std::vector<std::wstring>& out) {
  for (const auto& entry : entries) {
    const auto path = prefix + Wide(entry.caption);
    out.push_back(path);
    ListPaths(entry.children, path + L" > ", out);
  }
}

void Sign(const std::vector<MenuEntry>& entries, std::wstring& out) {
  for (const auto& entry : entries) {
    out += Wide(entry.caption);
    if (entry.popup) {
      out += L'{';
      Sign(entry.children, out);
      out += L'}';
    }
    out += L'\n';
  }
}

// The active page as the author edits it: its image-map areas, each with
// its link and its alt text.
std::wstring DescribePage(const host::Text& url, const std::vector<Area>& areas) {
  std::wstring text = Wide(url) + L"\r\n\r\n";
  if (areas.empty()) return text + L"No image-map areas on this page.";
  text += std::to_wstring(areas.size()) + (areas.size() == 1 ? L" image-map area:" : L" image-map areas:");
  text += L"\r\n";
  for (std::size_t i = 0; i < areas.size(); ++i) {
    text += L"\r\n  " + std::to_wstring(i + 1) + L".  " + (areas[i].href ? Wide(*areas[i].href) : L"(no link)");
    text += areas[i].alt ? L"    alt \"" + Wide(*areas[i].alt) + L"\"" : L"    no alt text";
  }
  return text;
}

}  // namespace

MainWindow::MainWindow(Host& host, html::WebFolder web) : host_(host), web_(std::move(web)) {}

MainWindow::~MainWindow() {
  if (hwnd_) {
    SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
    DestroyWindow(hwnd_);
  }
}

bool MainWindow::Create(HINSTANCE instance) {
  WNDCLASSEXW windowClass{};
  windowClass.cbSize = sizeof(windowClass);
  windowClass.lpfnWndProc = &MainWindow::Procedure;
  windowClass.hInstance = instance;
  windowClass.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_APPWORKSPACE + 1);
  windowClass.lpszClassName = kClassName;
  RegisterClassExW(&windowClass);
  hwnd_ = CreateWindowExW(0, kClassName, kTitle, WS_OVERLAPPEDWINDOW, 20, 20, 760, 520, nullptr, nullptr, instance,
                          this);
  if (!hwnd_) return false;
  // Hidden: the bar's controls by their paths, for tools that read windows
  // from outside, as menus cannot be read from another process here.
  controlList_ = CreateWindowExW(0, L"LISTBOX", kControlListName, WS_CHILD | LBS_NOSEL, 0, 0, 0, 0, hwnd_, nullptr,
                                 instance, nullptr);
  const auto font = reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT));
  pages_ = CreateWindowExW(WS_EX_CLIENTEDGE, L"LISTBOX", L"Pages", WS_CHILD | WS_VISIBLE | WS_VSCROLL |
                           LBS_NOINTEGRALHEIGHT | LBS_NOTIFY, 0, 0, 0, 0, hwnd_,
                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(kPagesId)), instance, nullptr);
  page_ = CreateWindowExW(WS_EX_CLIENTEDGE, L"EDIT", nullptr,
                          WS_CHILD | WS_VISIBLE | WS_VSCROLL | ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL, 0, 0, 0,
                          0, hwnd_, nullptr, instance, nullptr);
  for (HWND child : {controlList_, pages_, page_}) SendMessageW(child, WM_SETFONT, font, FALSE);
  listedPages_ = web_.PageUrls();
  for (const auto& url : listedPages_) {
    const auto name = Wide(url.substr(std::min(url.size(), web_.baseUrl().size() + 1)));
    SendMessageW(pages_, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name.c_str()));
  }
  RECT client{};
  GetClientRect(hwnd_, &client);
  Layout(client.right, client.bottom);
  Refresh();
  ShowWindow(hwnd_, SW_SHOW);
  SetTimer(hwnd_, kRefreshTimer, kRefreshMilliseconds, nullptr);
  return true;
}

LRESULT CALLBACK MainWindow::Procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* self = static_cast<MainWindow*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
    self->hwnd_ = hwnd;
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  }
  auto* self = reinterpret_cast<MainWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (!self) return DefWindowProcW(hwnd, message, wParam, lParam);
  return self->Handle(message, wParam, lParam);
}

LRESULT MainWindow::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COMMAND: {
      if (LOWORD(wParam) == kPagesId) {
        // A double click on one of the web's pages opens it, as in the editor's folder list.
        if (HIWORD(wParam) == LBN_DBLCLK) {
          const auto index = SendMessageW(pages_, LB_GETCURSEL, 0, 0);
          if (index >= 0 && static_cast<std::size_t>(index) < listedPages_.size())
            Run([&] { OpenPage(listedPages_[static_cast<std::size_t>(index)]); });
          Refresh();
        }
        return 0;
      }
      const auto found = commands_.find(LOWORD(wParam));
      if (found != commands_.end()) {
        // The menu may be rebuilt by the command itself.
        auto action = found->second;
        Run(action);
        Refresh();
      }
      return 0;
    }
    case WM_SIZE:
      Layout(LOWORD(lParam), HIWORD(lParam));
      return 0;
    case WM_TIMER:
      if (wParam == kRefreshTimer) Refresh();
      return 0;
    case WM_CLOSE:
      Run([this] { host_.Quit(); });
      KillTimer(hwnd_, kRefreshTimer);
      SetMenu(hwnd_, nullptr);
      DestroyWindow(hwnd_);
      return 0;
    case WM_DESTROY:
      PostQuitMessage(0);
      hwnd_ = nullptr;
      return 0;
    default:
      return DefWindowProcW(hwnd_, message, wParam, lParam);
  }
}

void MainWindow::Run(const std::function<void()>& action) {
  std::wstring problem;
  try {
    action();
  } catch (const host::Error& e) {
    wchar_t code[16];
    wsprintfW(code, L"0x%08X", e.code());
    problem = L"The command failed (" + std::wstring(code) + L")" +
              (e.description().empty() ? L"." : L": " + Wide(e.description()));
  } catch (const std::exception& e) {
    problem = L"The command failed: " + Wide(host::FromUtf8(e.what()));
  }
  if (!problem.empty()) MessageBoxW(hwnd_, problem.c_str(), kTitle, MB_OK | MB_ICONERROR);
}

std::wstring MainWindow::MenuSignature() {
  std::wstring signature;
  Sign(ReadMenuBar(host_), signature);
  for (const auto& url : host_.OpenPageUrls()) signature += L"page " + Wide(url) + L'\n';
  for (const auto& addIn : host_.AddInList())
    signature += (addIn.ticked ? L"connected " : L"add-in ") + Wide(addIn.progId) + L'\n';
  return signature;
}

void MainWindow::Refresh() {
  if (!hwnd_) return;
  std::wstring signature;
  try {
    signature = MenuSignature();
  } catch (const std::exception&) {
    return;  // the host is between states; the next tick tries again
  }
  if (signature != shownSignature_) {
    // No rebuild while the author has a menu open: it would close under them.
    GUITHREADINFO info{};
    info.cbSize = sizeof(info);
    if (GetGUIThreadInfo(GetCurrentThreadId(), &info) && (info.flags & GUI_INMENUMODE)) return;
    HMENU old = GetMenu(hwnd_);
    commands_.clear();
    nextCommand_ = 100;
    SetMenu(hwnd_, BuildMenuBar());
    if (old) DestroyMenu(old);
    DrawMenuBar(hwnd_);
    shownSignature_ = signature;
  }
  const auto active = host_.ActivePageUrl();
  std::wstring title = active ? std::wstring(kTitle) + L" - " + Wide(*active) : kTitle;
  if (title != shownTitle_) {
    SetWindowTextW(hwnd_, title.c_str());
    shownTitle_ = title;
  }
  ShowActivePage(active);
}

void MainWindow::ShowActivePage(const std::optional<host::Text>& active) {
  std::wstring text = L"No page is open: double-click one of the web's pages, or use File > Open Page.";
  if (active) {
    try {
      text = DescribePage(*active, host_.Areas(*active));
    } catch (const std::exception&) {
      return;  // the host is between states; the next tick tries again
    }
  }
  if (text != shownPage_) {
    SetWindowTextW(page_, text.c_str());
    shownPage_ = text;
  }
  const auto& urls = listedPages_;
  const auto found = active ? std::find(urls.begin(), urls.end(), *active) : urls.end();
  const WPARAM selected = found == urls.end() ? static_cast<WPARAM>(-1) : static_cast<WPARAM>(found - urls.begin());
  if (static_cast<WPARAM>(SendMessageW(pages_, LB_GETCURSEL, 0, 0)) != selected)
    SendMessageW(pages_, LB_SETCURSEL, selected, 0);
}

void MainWindow::Layout(int width, int height) {
  if (pages_) MoveWindow(pages_, 0, 0, std::min(kPagesWidth, width), height, TRUE);
  if (page_) MoveWindow(page_, kPagesWidth, 0, std::max(0, width - kPagesWidth), height, TRUE);
}

UINT MainWindow::Command(std::function<void()> action) {
  const UINT id = nextCommand_++;
  commands_[id] = std::move(action);
  return id;
}

HMENU MainWindow::BuildMenuBar() {
  HMENU bar = CreateMenu();
  std::function<void(HMENU, const std::vector<MenuEntry>&, std::vector<host::Text>)> fill =
      [&](HMENU menu, const std::vector<MenuEntry>& entries, std::vector<host::Text> path) {
        for (const auto& entry : entries) {
          auto here = path;
          here.push_back(entry.caption);
          const auto caption = Wide(entry.caption);
          if (entry.popup) {
            HMENU popup = CreatePopupMenu();
            fill(popup, entry.children, here);
            if (path.empty() && entry.caption == u"&File") AddHostItems(popup);
            AppendMenuW(menu, MF_POPUP | MF_STRING, reinterpret_cast<UINT_PTR>(popup), caption.c_str());
          } else {
            AppendMenuW(menu, MF_STRING, Command([this, here] { host_.Click(here); }), caption.c_str());
          }
        }
      };
  SendMessageW(controlList_, LB_RESETCONTENT, 0, 0);
  try {
    const auto entries = ReadMenuBar(host_);
    fill(bar, entries, {});
    std::vector<std::wstring> paths;
    ListPaths(entries, L"", paths);
    for (const auto& path : paths) SendMessageW(controlList_, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(path.c_str()));
  } catch (const std::exception&) {
    // An unreadable bar leaves the host's own menu only.
  }
  if (GetMenuItemCount(bar) == 0) {
    HMENU file = CreatePopupMenu();
    AddHostItems(file);
    AppendMenuW(bar, MF_POPUP | MF_STRING, reinterpret_cast<UINT_PTR>(file), L"&File");
  }
  return bar;
}

void MainWindow::AddHostItems(HMENU file) {
  if (GetMenuItemCount(file) > 0) AppendMenuW(file, MF_SEPARATOR, 0, nullptr);
  HMENU pages = CreatePopupMenu();
  for (const auto& url : web_.PageUrls())
    AppendMenuW(pages, MF_STRING, Command([this, url] { OpenPage(url); }), Wide(url).c_str());
  AppendMenuW(file, MF_POPUP | MF_STRING, reinterpret_cast<UINT_PTR>(pages), L"&Open Page");
  AppendMenuW(file, MF_STRING, Command([this] { NewPage(); }), L"&New Page");
  AppendMenuW(file, MF_STRING, Command([this] { CloseActivePage(); }), L"&Close Page");
  AppendMenuW(file, MF_STRING, Command([this] { SaveActivePage(); }), L"Save &Page");
  // The COM add-ins list: a ticked add-in is connected; unticking it
  // disconnects it, as closed by the user.
  HMENU addIns = CreatePopupMenu();
  for (const auto& addIn : host_.AddInList()) {
    const auto progId = addIn.progId;
    const bool ticked = addIn.ticked;
    AppendMenuW(addIns, MF_STRING | (ticked ? MF_CHECKED : MF_UNCHECKED),
                Command([this, progId, ticked] { host_.TickAddIn(progId, !ticked); }), Wide(addIn.friendlyName).c_str());
  }
  AppendMenuW(file, MF_POPUP | MF_STRING, reinterpret_cast<UINT_PTR>(addIns), L"COM &Add-Ins");
  AppendMenuW(file, MF_SEPARATOR, 0, nullptr);
  AppendMenuW(file, MF_STRING, Command([this] { PostMessageW(hwnd_, WM_CLOSE, 0, 0); }), L"E&xit");
}

void MainWindow::OpenPage(const host::Text& url) {
  for (const auto& open : host_.OpenPageUrls()) {
    if (open == url) {
      host_.ActivatePage(url);
      return;
    }
  }
  host_.OpenPage(url, web_.Open(url));
}

void MainWindow::NewPage() {
  // A new page lives in a scratch file until it is saved into the web under
  // the name it was given here.
  const auto number = ++newPages_;
  const auto name = "new_page_" + std::to_string(number) + ".htm";
  wchar_t folder[MAX_PATH];
  GetTempPathW(MAX_PATH, folder);
  const std::string scratch = host::ToUtf8(std::u16string(folder, folder + wcslen(folder))) + "standin-" +
                              std::to_string(GetCurrentProcessId()) + "-" + name;
  std::ofstream(scratch, std::ios::binary) << "<html>\r\n<head><title>New Page</title></head>\r\n<body>\r\n</body>\r\n</html>\r\n";
  host_.ScriptSaveAs(web_.UrlOf(name));
  host_.OpenPage(u"unsaved:///" + host::FromUtf8(name), std::make_shared<html::FilePageContent>(web_, scratch));
}

void MainWindow::CloseActivePage() {
  if (const auto active = host_.ActivePageUrl()) host_.ClosePage(*active);
}

void MainWindow::SaveActivePage() {
  host_.Application()->CommandBars()->Item(host::Variant(u"File"))->Controls()->Item(host::Variant(u"&Save"))->Execute();
}

}  // namespace standin::com
