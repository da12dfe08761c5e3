#include "standin/com/tests/e2e/host_driver.h"

#include <thread>

namespace e2e {
namespace {

constexpr const wchar_t* kMainClass = L"StandinHostMainWindow";
constexpr const wchar_t* kDialogTitle = L"Image Map ALT Text";

std::wstring ClassOf(HWND window) {
  wchar_t name[64] = {};
  GetClassNameW(window, name, 64);
  return name;
}

std::wstring WithoutAmpersands(std::wstring text) {
  std::erase(text, L'&');
  return text;
}

BOOL CALLBACK CollectChild(HWND child, LPARAM list) {
  reinterpret_cast<std::vector<HWND>*>(list)->push_back(child);
  return TRUE;
}

std::vector<HWND> Children(HWND parent) {
  std::vector<HWND> found;
  EnumChildWindows(parent, CollectChild, reinterpret_cast<LPARAM>(&found));
  return found;
}

struct ProcessWindows {
  DWORD processId;
  std::vector<HWND> found;
};

BOOL CALLBACK CollectTopLevel(HWND window, LPARAM param) {
  auto& search = *reinterpret_cast<ProcessWindows*>(param);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  if (owner == search.processId && IsWindowVisible(window)) search.found.push_back(window);
  return TRUE;
}

std::vector<HWND> TopLevelOf(DWORD processId) {
  ProcessWindows search{processId, {}};
  EnumWindows(CollectTopLevel, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

// A message box is a dialog with a text and push buttons, and none of the
// area dialog's edit boxes.
std::optional<Box> ReadBox(HWND window) {
  if (ClassOf(window) != L"#32770" || TextOf(window) == kDialogTitle) return std::nullopt;
  Box box{window, TextOf(window), {}, {}};
  for (HWND child : Children(window)) {
    const auto kind = ClassOf(child);
    if (_wcsicmp(kind.c_str(), L"Edit") == 0) return std::nullopt;
    if (_wcsicmp(kind.c_str(), L"Static") == 0) {
      auto text = TextOf(child);
      if (!text.empty()) box.prompt = text;
    } else if (_wcsicmp(kind.c_str(), L"Button") == 0 && IsWindowVisible(child)) {
      box.buttons.push_back(WithoutAmpersands(TextOf(child)));
    }
  }
  return box;
}

void PostKey(HWND window, WORD key) {
  const UINT scan = MapVirtualKeyW(key, MAPVK_VK_TO_VSC);
  PostMessageW(window, WM_KEYDOWN, key, 1 | (scan << 16));
  PostMessageW(window, WM_KEYUP, key, 1 | (scan << 16) | (1u << 30) | (1u << 31));
}

}  // namespace

std::wstring WinePath(const std::string& unixPath) {
  std::wstring path = L"Z:";
  for (char c : unixPath) path += c == '/' ? L'\\' : static_cast<wchar_t>(static_cast<unsigned char>(c));
  return path;
}

bool WaitUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout) {
  const auto end = std::chrono::steady_clock::now() + timeout;
  while (!done()) {
    if (std::chrono::steady_clock::now() > end) return false;
    std::this_thread::sleep_for(50ms);
  }
  return true;
}

std::wstring TextOf(HWND window) {
  DWORD_PTR length = 0;
  if (!SendMessageTimeoutW(window, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 5000, &length)) return {};
  std::wstring text(length + 1, L'\0');
  DWORD_PTR copied = 0;
  SendMessageTimeoutW(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()), SMTO_ABORTIFHUNG, 5000,
                      &copied);
  text.resize(copied);
  return text;
}

HostProcess::~HostProcess() {
  if (process_.hProcess) {
    if (Running()) TerminateProcess(process_.hProcess, 99);
    CloseHandle(process_.hProcess);
    CloseHandle(process_.hThread);
  }
}

bool HostProcess::Start(const std::wstring& commandLine) {
  std::wstring line = commandLine;
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process_))
    return false;
  return WaitUntil([&] {
    for (HWND window : TopLevelOf(process_.dwProcessId)) {
      if (ClassOf(window) == kMainClass) {
        main_ = window;
        return true;
      }
    }
    return !Running();
  }, 30s) && main_;
}

bool HostProcess::Running() const {
  return process_.hProcess && WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT;
}

bool HostProcess::Quit(DWORD* exitCode) {
  if (!Running()) return false;
  PostMessageW(main_, WM_CLOSE, 0, 0);
  if (WaitForSingleObject(process_.hProcess, 30000) != WAIT_OBJECT_0) return false;
  if (exitCode) GetExitCodeProcess(process_.hProcess, exitCode);
  return true;
}

std::wstring HostProcess::Title() const { return TextOf(main_); }

std::vector<std::wstring> HostProcess::ControlPaths() const {
  std::vector<std::wstring> paths;
  for (HWND child : Children(main_)) {
    // The host's hidden list of its command-bar controls, by its name.
    if (_wcsicmp(ClassOf(child).c_str(), L"ListBox") != 0 || TextOf(child) != L"Command bar controls") continue;
    const auto count = SendMessageW(child, LB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
      const auto length = SendMessageW(child, LB_GETTEXTLEN, i, 0);
      std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
      const auto copied = SendMessageW(child, LB_GETTEXT, i, reinterpret_cast<LPARAM>(text.data()));
      text.resize(copied > 0 ? static_cast<std::size_t>(copied) : 0);
      paths.push_back(text);
    }
  }
  return paths;
}

bool HostProcess::ClickMenu(const std::vector<std::wstring>& path) {
  // Positions of the menu and the item among their siblings, from the list.
  const auto paths = ControlPaths();
  std::vector<int> positions;
  std::wstring prefix;
  for (const auto& caption : path) {
    int position = -1, index = 0;
    for (const auto& candidate : paths) {
      if (candidate.rfind(prefix, 0) != 0) continue;
      const auto rest = candidate.substr(prefix.size());
      if (rest.find(L" > ") != std::wstring::npos) continue;
      if (rest == caption) {
        position = index;
        break;
      }
      ++index;
    }
    if (position < 0) return false;
    positions.push_back(position);
    prefix += caption + L" > ";
  }
  if (positions.size() != 2) return false;
  PostMessageW(main_, WM_SYSCOMMAND, SC_KEYMENU, 0);
  for (int i = 0; i < positions[0]; ++i) PostKey(main_, VK_RIGHT);
  PostKey(main_, VK_DOWN);  // opens the menu on its first item
  for (int i = 0; i < positions[1]; ++i) PostKey(main_, VK_DOWN);
  PostKey(main_, VK_RETURN);
  return true;
}

bool HostProcess::ClickHostCommand(const std::wstring& caption, int item) {
  // The host's own commands come after the mirrored controls of "&File".
  static const std::vector<std::wstring> commands = {L"Open Page",  L"New Page",     L"Close Page",
                                                     L"Save Page", L"COM Add-Ins", L"Exit"};
  int position = -1;
  for (std::size_t i = 0; i < commands.size(); ++i)
    if (commands[i] == caption) position = static_cast<int>(i);
  if (position < 0) return false;
  int mirrored = 0;
  for (const auto& path : ControlPaths())
    if (path.rfind(L"&File > ", 0) == 0) ++mirrored;
  PostMessageW(main_, WM_SYSCOMMAND, SC_KEYMENU, 0);
  PostKey(main_, VK_DOWN);
  for (int i = 0; i < mirrored + position; ++i) PostKey(main_, VK_DOWN);  // separators are skipped
  if (item >= 0) {
    PostKey(main_, VK_RIGHT);  // opens the submenu on its first item
    for (int i = 0; i < item; ++i) PostKey(main_, VK_DOWN);
  }
  PostKey(main_, VK_RETURN);
  return true;
}

HWND HostProcess::FindTopLevel(const std::wstring& title) const {
  for (HWND window : TopLevelOf(process_.dwProcessId))
    if (TextOf(window) == title) return window;
  return nullptr;
}

std::optional<Box> HostProcess::WaitForBox(std::chrono::milliseconds timeout) const {
  std::optional<Box> box;
  WaitUntil([&] {
    for (HWND window : TopLevelOf(process_.dwProcessId)) {
      if ((box = ReadBox(window)) && !box->buttons.empty()) return true;
    }
    box.reset();
    return false;
  }, timeout);
  return box;
}

bool HostProcess::BoxOpen() const {
  for (HWND window : TopLevelOf(process_.dwProcessId))
    if (ReadBox(window)) return true;
  return false;
}

bool HostProcess::Press(const Box& box, const std::wstring& button) const {
  for (HWND child : Children(box.hwnd)) {
    if (_wcsicmp(ClassOf(child).c_str(), L"Button") == 0 && WithoutAmpersands(TextOf(child)) == button) {
      PostMessageW(child, BM_CLICK, 0, 0);
      return WaitUntil([&] { return !IsWindow(box.hwnd) || !IsWindowVisible(box.hwnd); });
    }
  }
  return false;
}

AreaDialog::AreaDialog(HWND dialog) : dialog_(dialog) {
  for (HWND child : Children(dialog)) {
    const auto kind = ClassOf(child);
    const auto text = TextOf(child);
    const auto style = GetWindowLongW(child, GWL_STYLE);
    if (_wcsicmp(kind.c_str(), L"Edit") == 0) {
      (style & ES_READONLY ? link_ : alt_) = child;
    } else if (_wcsicmp(kind.c_str(), L"Static") == 0 && text.rfind(L"Image Map", 0) == 0) {
      status_ = child;
    } else if (_wcsicmp(kind.c_str(), L"Button") == 0) {
      const auto type = style & BS_TYPEMASK;
      if (type == BS_AUTOCHECKBOX || type == BS_CHECKBOX) {
        save_ = child;
      } else if (type == BS_PUSHBUTTON || type == BS_DEFPUSHBUTTON) {
        buttons_.emplace_back(text, child);
      }
    }
  }
}

std::optional<AreaDialog> AreaDialog::Find(const HostProcess& host, std::chrono::milliseconds timeout) {
  HWND found = nullptr;
  WaitUntil([&] { return (found = host.FindTopLevel(kDialogTitle)) != nullptr; }, timeout);
  if (!found) return std::nullopt;
  return AreaDialog(found);
}

HWND AreaDialog::Button(const std::wstring& caption) const {
  for (const auto& [text, window] : buttons_)
    if (text == caption) return window;
  return nullptr;
}

bool AreaDialog::Checked() const { return SendMessageW(save_, BM_GETCHECK, 0, 0) == BST_CHECKED; }

bool AreaDialog::Enabled(const std::wstring& caption) const {
  HWND button = Button(caption);
  return button && IsWindowEnabled(button);
}

std::wstring AreaDialog::DefaultButton() const {
  const auto answer = SendMessageW(dialog_, DM_GETDEFID, 0, 0);
  if (HIWORD(answer) != DC_HASDEFID) return {};
  for (const auto& [text, window] : buttons_)
    if (GetDlgCtrlID(window) == LOWORD(answer)) return text;
  return {};
}

void AreaDialog::SetAltText(const std::wstring& text) const {
  SendMessageW(alt_, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

void AreaDialog::TypeAltText(const std::wstring& text) const {
  for (wchar_t c : text) PostMessageW(alt_, WM_CHAR, c, 1);
}

void AreaDialog::Click(const std::wstring& caption) const {
  if (HWND button = Button(caption)) PostMessageW(button, BM_CLICK, 0, 0);
}

void AreaDialog::Key(WORD key) const {
  // To the control that has the focus, as the keyboard sends it.
  GUITHREADINFO info{};
  info.cbSize = sizeof(info);
  HWND target = alt_;
  if (GetGUIThreadInfo(GetWindowThreadProcessId(dialog_, nullptr), &info) && info.hwndFocus) target = info.hwndFocus;
  PostKey(target, key);
}

void AreaDialog::PressEnter() const { Key(VK_RETURN); }
void AreaDialog::PressEscape() const { Key(VK_ESCAPE); }

HWND AreaDialog::Focus() const {
  GUITHREADINFO info{};
  info.cbSize = sizeof(info);
  if (!GetGUIThreadInfo(GetWindowThreadProcessId(dialog_, nullptr), &info)) return nullptr;
  return info.hwndFocus;
}

void AreaDialog::FocusOn(const std::wstring& caption) const {
  SendMessageW(dialog_, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(Button(caption)), TRUE);
}

bool AreaDialog::CloseFromSystemMenu() const {
  // Sent, not posted: once it returns, the dialog has answered the request.
  DWORD_PTR result = 0;
  return SendMessageTimeoutW(dialog_, WM_SYSCOMMAND, SC_CLOSE, 0, SMTO_NORMAL, 15000, &result) != 0;
}

}  // namespace e2e
