#pragma once
// Drives standin.exe from outside, as a person would: through its windows
// and their messages only. It starts the host, clicks menu items with the
// keyboard, reads the host's list of command-bar controls, finds the area
// dialog and its controls by their kind and caption, and answers message
// boxes after checking what they say.
#include <windows.h>

#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace e2e {

using namespace std::chrono_literals;

// A Unix path of the build as Wine's Z: drive shows it.
std::wstring WinePath(const std::string& unixPath);

// Polls until `done` or the time is up; false on time-out.
bool WaitUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout = 15s);

// A message box as it stands on the screen.
struct Box {
  HWND hwnd = nullptr;
  std::wstring title;
  std::wstring prompt;
  std::vector<std::wstring> buttons;  // captions without their '&'
};

// A child window's text, read with WM_GETTEXT as any process may.
std::wstring TextOf(HWND window);

class HostProcess {
 public:
  HostProcess() = default;
  ~HostProcess();
  HostProcess(const HostProcess&) = delete;
  HostProcess& operator=(const HostProcess&) = delete;

  // Starts standin.exe and waits for its main window.
  bool Start(const std::wstring& commandLine);
  bool Running() const;
  // Closes the main window (Exit) and waits for the process to end.
  bool Quit(DWORD* exitCode = nullptr);
  std::wstring Title() const;
  HWND MainWindow() const { return main_; }

  // The host's command-bar controls, as paths of captions ("Zarvik > Tessaly...").
  std::vector<std::wstring> ControlPaths() const;
  // Clicks the menu item at a path of captions from the menu bar, with the
  // keyboard: the menu key, arrows to the menu and item, then Enter. The
  // items of "&File" follow its mirrored controls with the host's own.
  bool ClickMenu(const std::vector<std::wstring>& path);
  // A command of the host's own; `item` picks an entry of a submenu
  // ("COM Add-Ins") by its position, from 0.
  bool ClickHostCommand(const std::wstring& caption, int item = -1);

  // The visible top-level windows of the host with this title.
  HWND FindTopLevel(const std::wstring& title) const;
  // The next message box the host shows; none on time-out.
  std::optional<Box> WaitForBox(std::chrono::milliseconds timeout = 15s) const;
  // Whether a message box is open now.
  bool BoxOpen() const;
  // Presses the box's button with this caption (without '&').
  bool Press(const Box& box, const std::wstring& button) const;

 private:
  PROCESS_INFORMATION process_{};
  HWND main_ = nullptr;
};

// The area dialog, found by its title; its controls by kind and caption.
class AreaDialog {
 public:
  explicit AreaDialog(HWND dialog);
  static std::optional<AreaDialog> Find(const HostProcess& host, std::chrono::milliseconds timeout = 15s);

  HWND hwnd() const { return dialog_; }
  bool Visible() const { return IsWindow(dialog_) && IsWindowVisible(dialog_); }
  std::wstring Link() const { return TextOf(link_); }
  std::wstring AltText() const { return TextOf(alt_); }
  std::wstring Status() const { return TextOf(status_); }
  bool Checked() const;
  // "<<", "<", ">", ">>", "OK", "Cancel".
  bool Enabled(const std::wstring& caption) const;
  // The caption of the default button.
  std::wstring DefaultButton() const;

  void SetAltText(const std::wstring& text) const;  // WM_SETTEXT
  void TypeAltText(const std::wstring& text) const;  // keystrokes
  void Click(const std::wstring& caption) const;     // BM_CLICK
  void PressEnter() const;
  void PressEscape() const;
  // The system's close request; false when the dialog did not answer it.
  bool CloseFromSystemMenu() const;

  HWND Button(const std::wstring& caption) const;
  HWND AltBox() const { return alt_; }
  // The control with the keyboard focus in the dialog's thread; moving it.
  HWND Focus() const;
  void FocusOn(const std::wstring& caption) const;

 private:
  void Key(WORD key) const;
  HWND dialog_;
  HWND link_ = nullptr, alt_ = nullptr, status_ = nullptr, save_ = nullptr;
  std::vector<std::pair<std::wstring, HWND>> buttons_;
};

}  // namespace e2e
