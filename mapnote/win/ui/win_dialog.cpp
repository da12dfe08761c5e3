#include "mapnote/win/ui/win_dialog.h"

#include <commctrl.h>

#include <algorithm>
#include <utility>
#include <vector>

#include "host/com/hresult_error.h"
#include "mapnote/box_titles.h"
#include "mapnote/win/ui/win_dialog_keys.h"

namespace mapnote::win {
namespace {

using host::ControlDesign;
using host::ControlKind;

// Clear of IDOK and IDCANCEL, which the dialog manager sends for Enter and Escape.
constexpr int kFirstControlId = 1000;
constexpr int kTwipsPerInch = 1440;

const wchar_t* Wide(const host::Text& text) { return reinterpret_cast<const wchar_t*>(text.c_str()); }

struct Control {
  ControlDesign design;
  int id = 0;
  HWND hwnd = nullptr;
};

struct Pixels {
  int dpiX = 96, dpiY = 96;
  int X(std::int32_t twips) const { return ::MulDiv(twips, dpiX, kTwipsPerInch); }
  int Y(std::int32_t twips) const { return ::MulDiv(twips, dpiY, kTwipsPerInch); }

  static Pixels OfScreen() {
    Pixels p;
    if (HDC screen = ::GetDC(nullptr)) {
      p.dpiX = ::GetDeviceCaps(screen, LOGPIXELSX);
      p.dpiY = ::GetDeviceCaps(screen, LOGPIXELSY);
      ::ReleaseDC(nullptr, screen);
    }
    return p;
  }
};

struct WindowClass {
  const wchar_t* name;
  DWORD style;
  DWORD exStyle;
};

WindowClass ClassOf(const ControlDesign& c) {
  switch (c.kind) {
    case ControlKind::Frame:
      return {WC_BUTTONW, BS_GROUPBOX, 0};
    case ControlKind::Label:
      return {WC_STATICW, SS_LEFT | SS_NOPREFIX, 0};
    case ControlKind::TextBox: {
      const DWORD readOnly = c.readOnly ? ES_READONLY : 0;
      return {WC_EDITW, ES_LEFT | ES_AUTOHSCROLL | WS_TABSTOP | readOnly, WS_EX_CLIENTEDGE};
    }
    case ControlKind::CommandButton: {
      const DWORD kind = c.isDefault ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON;
      return {WC_BUTTONW, kind | WS_TABSTOP, 0};
    }
    case ControlKind::CheckBox:
      return {WC_BUTTONW, BS_AUTOCHECKBOX | WS_TABSTOP, 0};
  }
  throw host::Error(host::code::InvalidProcedureCall);
}

// An empty dialog template: the controls are made afterwards, in pixels.
std::vector<DWORD> EmptyTemplate(DWORD style) {
  std::vector<DWORD> words(8, 0);  // DLGTEMPLATE, then no menu, the default class, no title
  auto* header = reinterpret_cast<DLGTEMPLATE*>(words.data());
  header->style = style;
  return words;
}

// The window behind a view. The view and any handler running on the stack
// share it, so a handler may drop the view (and with it the window) safely.
class DialogWindow : public std::enable_shared_from_this<DialogWindow> {
 public:
  DialogWindow(host::FormEvents& events, host::MessageBoxes& failures) : events_(&events), failures_(failures) {}
  DialogWindow(const DialogWindow&) = delete;
  DialogWindow& operator=(const DialogWindow&) = delete;
  ~DialogWindow() {
    Close();
    if (font_) ::DeleteObject(font_);
    if (bigIcon_) ::DestroyIcon(bigIcon_);
    if (smallIcon_) ::DestroyIcon(smallIcon_);
  }

  void Build(HINSTANCE resources, const host::FormDesign& design) {
    DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_BORDER;
    if (design.minButton) style |= WS_MINIMIZEBOX;
    if (design.maxButton) style |= WS_MAXIMIZEBOX;
    const auto dialogTemplate = EmptyTemplate(style);
    hwnd_ = ::CreateDialogIndirectParamW(resources, reinterpret_cast<const DLGTEMPLATE*>(dialogTemplate.data()),
                                         nullptr, &DialogWindow::Procedure, reinterpret_cast<LPARAM>(this));
    if (!hwnd_) host::com::ThrowLastError();
    if (!RegisterDialogKeys(hwnd_)) host::com::ThrowLastError();
    keysRegistered_ = true;

    ::SetWindowTextW(hwnd_, Wide(design.title));
    SetIcons(resources);
    const Pixels pixels = Pixels::OfScreen();
    SizeAndCentre(pixels.X(design.clientWidth), pixels.Y(design.clientHeight));
    CreateControls(resources, design, pixels);
  }

  // Stops every event and destroys the window; safe from inside a handler.
  void Close() {
    events_ = nullptr;
    if (keysRegistered_) UnregisterDialogKeys(hwnd_);
    keysRegistered_ = false;
    if (hwnd_) ::DestroyWindow(std::exchange(hwnd_, nullptr));
    if (tooltips_) ::DestroyWindow(std::exchange(tooltips_, nullptr));
  }

  HWND hwnd() const { return hwnd_; }

  Control& Find(const host::ControlId& id) {
    for (Control& c : controls_)
      if (c.design.name == id.name && c.design.index == id.index) return c;
    throw host::Error(host::code::InvalidProcedureCall, u"No control " + host::FromUtf8(id.name));
  }

 private:
  static INT_PTR CALLBACK Procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
      ::SetWindowLongPtrW(hwnd, DWLP_USER, lParam);
      return FALSE;
    }
    auto* window = reinterpret_cast<DialogWindow*>(::GetWindowLongPtrW(hwnd, DWLP_USER));
    // Until it is built, and once it is closing, the window is the system's alone.
    if (!window || window->hwnd_ != hwnd) return FALSE;
    try {
      const auto keepAlive = window->shared_from_this();
      return window->Handle(message, wParam, lParam);
    } catch (...) {
      return FALSE;  // handlers report their own failures; nothing may unwind into the system
    }
  }

  INT_PTR Handle(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
      case WM_COMMAND:
        OnCommand(LOWORD(wParam), HIWORD(wParam));
        return TRUE;
      case WM_CTLCOLORSTATIC:
      case WM_CTLCOLOREDIT:
        return OnControlColour(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam));
      case WM_SYSCOMMAND:
        if ((wParam & 0xFFF0) != SC_CLOSE) return FALSE;
        RequestClose();
        return TRUE;
      case WM_CLOSE:
        RequestClose();
        return TRUE;
      default:
        return FALSE;
    }
  }

  void OnCommand(int id, int notification) {
    if (id == IDCANCEL) return PressIfEnabled([](const Control& c) { return c.design.isCancel; });
    if (id == IDOK) {
      // The default button of the moment, which may have changed since the design.
      const auto defaultId = ::SendMessageW(hwnd_, DM_GETDEFID, 0, 0);
      if (HIWORD(defaultId) != DC_HASDEFID) return;
      return PressIfEnabled([&](const Control& c) { return c.id == LOWORD(defaultId); });
    }
    for (const Control& c : controls_) {
      if (c.id != id) continue;
      const host::ControlId which{c.design.name, c.design.index};
      const bool clickable = c.design.kind == ControlKind::CommandButton || c.design.kind == ControlKind::CheckBox;
      if (clickable && notification == BN_CLICKED) Raise([&](host::FormEvents& e) { e.Click(which); });
      if (c.design.kind == ControlKind::TextBox && notification == EN_KILLFOCUS)
        Raise([&](host::FormEvents& e) { e.LostFocus(which); });
      return;
    }
  }

  // Enter and Escape press the default and the cancel button, unless disabled.
  template <class Predicate>
  void PressIfEnabled(Predicate wanted) {
    for (const Control& c : controls_) {
      if (!wanted(c) || !::IsWindowEnabled(c.hwnd)) continue;
      const host::ControlId which{c.design.name, c.design.index};
      Raise([&](host::FormEvents& e) { e.Click(which); });
      return;
    }
  }

  INT_PTR OnControlColour(HDC dc, HWND control) {
    for (const Control& c : controls_) {
      if (c.hwnd != control || !c.design.scrollBarBackground) continue;
      ::SetBkColor(dc, ::GetSysColor(COLOR_SCROLLBAR));
      return reinterpret_cast<INT_PTR>(::GetSysColorBrush(COLOR_SCROLLBAR));
    }
    return FALSE;
  }

  // A close from the title bar, the system menu or Alt+F4 asks QueryUnload;
  // the window stays unless it agrees (a failing handler keeps it too).
  void RequestClose() {
    host::Int16 cancel = 0;
    if (!Raise([&](host::FormEvents& e) { e.QueryUnload(cancel, host::vbFormControlMenu); })) return;
    if (cancel.value() == 0 && hwnd_) ::ShowWindow(hwnd_, SW_HIDE);
  }

  // Runs a handler; what it throws is shown here, as it must not unwind
  // through the window procedure. False when it failed or nobody listens.
  template <class Handler>
  bool Raise(Handler&& handler) {
    if (!events_) return false;
    try {
      handler(*events_);
      return true;
    } catch (const host::Error& e) {
      Report(e.what());
    } catch (const std::exception& e) {
      Report(e.what());
    } catch (...) {
      Report("unknown failure");
    }
    return false;
  }

  void Report(const char* what) {
    try {
      failures_.MsgBox(u"Error " + host::FromUtf8(what), host::mb::Warning, FrontPageTitle);
    } catch (...) {
      // Nothing more can be told from inside the window procedure.
    }
  }

  void SetIcons(HINSTANCE resources) {
    bigIcon_ = static_cast<HICON>(::LoadImageW(resources, kFormIconName, IMAGE_ICON, 32, 32, LR_DEFAULTCOLOR));
    smallIcon_ = static_cast<HICON>(::LoadImageW(resources, kFormIconName, IMAGE_ICON, ::GetSystemMetrics(SM_CXSMICON),
                                                 ::GetSystemMetrics(SM_CYSMICON), LR_DEFAULTCOLOR));
    if (bigIcon_) ::SendMessageW(hwnd_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(bigIcon_));
    if (smallIcon_) ::SendMessageW(hwnd_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(smallIcon_));
  }

  void SizeAndCentre(int clientWidth, int clientHeight) {
    RECT frame{0, 0, clientWidth, clientHeight};
    ::AdjustWindowRectEx(&frame, static_cast<DWORD>(::GetWindowLongW(hwnd_, GWL_STYLE)), FALSE,
                         static_cast<DWORD>(::GetWindowLongW(hwnd_, GWL_EXSTYLE)));
    const int width = frame.right - frame.left, height = frame.bottom - frame.top;
    RECT work{};
    ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    ::SetWindowPos(hwnd_, nullptr, work.left + std::max(0L, (work.right - work.left - width) / 2),
                   work.top + std::max(0L, (work.bottom - work.top - height) / 2), width, height,
                   SWP_NOZORDER | SWP_NOACTIVATE);
  }

  // Position in twips relative to the window: frames nest.
  POINT OriginTwips(const host::FormDesign& design, const ControlDesign& c, int depth = 0) const {
    if (c.parent.empty()) return {c.left, c.top};
    const auto parent = std::find_if(design.controls.begin(), design.controls.end(),
                                     [&](const ControlDesign& p) { return p.name == c.parent; });
    if (parent == design.controls.end() || depth > static_cast<int>(design.controls.size()))
      throw host::Error(host::code::InvalidProcedureCall, u"No frame " + host::FromUtf8(c.parent));
    const POINT base = OriginTwips(design, *parent, depth + 1);
    return {base.x + c.left, base.y + c.top};
  }

  // Made in tab order: the dialog manager tabs in the order of creation.
  void CreateControls(HINSTANCE resources, const host::FormDesign& design, const Pixels& pixels) {
    std::vector<ControlDesign> ordered = design.controls;
    std::stable_sort(ordered.begin(), ordered.end(),
                     [](const ControlDesign& a, const ControlDesign& b) { return a.tabIndex < b.tabIndex; });
    font_ = DialogFont(pixels);
    if (!font_) host::com::ThrowLastError();
    const auto font = reinterpret_cast<WPARAM>(font_);
    HWND tooltips = nullptr;
    int nextId = kFirstControlId;
    for (const ControlDesign& c : ordered) {
      const WindowClass cls = ClassOf(c);
      const POINT at = OriginTwips(design, c);
      Control control{c, nextId++, nullptr};
      control.hwnd = ::CreateWindowExW(cls.exStyle, cls.name, Wide(c.caption), WS_CHILD | WS_VISIBLE | cls.style,
                                       pixels.X(at.x), pixels.Y(at.y), pixels.X(c.width), pixels.Y(c.height), hwnd_,
                                       reinterpret_cast<HMENU>(static_cast<INT_PTR>(control.id)), resources, nullptr);
      if (!control.hwnd) host::com::ThrowLastError();
      ::SendMessageW(control.hwnd, WM_SETFONT, font, FALSE);
      if (c.kind == ControlKind::TextBox) ::SendMessageW(control.hwnd, EM_SETLIMITTEXT, 0, 0);
      if (c.kind == ControlKind::CheckBox)
        ::SendMessageW(control.hwnd, BM_SETCHECK, c.value == 1 ? BST_CHECKED : BST_UNCHECKED, 0);
      if (c.isDefault) ::SendMessageW(hwnd_, DM_SETDEFID, static_cast<WPARAM>(control.id), 0);
      if (!c.tooltip.empty()) {
        if (!tooltips) tooltips = CreateTooltips(resources);
        AddTooltip(tooltips, control.hwnd, c.tooltip);
      }
      controls_.push_back(std::move(control));
    }
  }

  // The dialog font of the toolkit's era, for which the control widths were
  // laid out: MS Sans Serif, 8 points. Windows and Wine both have it.
  static HFONT DialogFont(const Pixels& pixels) {
    return ::CreateFontW(-::MulDiv(8, pixels.dpiY, 72), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                         OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_SWISS,
                         L"MS Sans Serif");
  }

  HWND CreateTooltips(HINSTANCE resources) {
    const INITCOMMONCONTROLSEX classes{sizeof(INITCOMMONCONTROLSEX), ICC_BAR_CLASSES};
    ::InitCommonControlsEx(&classes);
    // Owned by no window: under Wine, a window that owns a top-most popup
    // cannot itself be made top-most. It goes with the dialog all the same.
    HWND tips = ::CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX,
                                  CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr,
                                  resources, nullptr);
    if (!tips) host::com::ThrowLastError();
    tooltips_ = tips;
    return tips;
  }

  void AddTooltip(HWND tips, HWND control, const host::Text& text) {
    TTTOOLINFOW tool{};
    // The size every comctl32 version accepts.
    tool.cbSize = TTTOOLINFOW_V2_SIZE;
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = hwnd_;
    tool.uId = reinterpret_cast<UINT_PTR>(control);
    host::Text copy = text;  // the call takes a non-const pointer and copies the text
    tool.lpszText = reinterpret_cast<wchar_t*>(copy.data());
    if (!::SendMessageW(tips, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool)))
      host::com::ThrowHresult(E_FAIL, u"The tooltip was refused");
  }

  host::FormEvents* events_;
  host::MessageBoxes& failures_;
  HWND hwnd_ = nullptr;
  HWND tooltips_ = nullptr;
  HFONT font_ = nullptr;
  bool keysRegistered_ = false;
  HICON bigIcon_ = nullptr;
  HICON smallIcon_ = nullptr;
  std::vector<Control> controls_;
};

class WinFormView final : public host::FormView {
 public:
  explicit WinFormView(std::shared_ptr<DialogWindow> window) : window_(std::move(window)) {}
  ~WinFormView() override { window_->Close(); }

  host::Text GetText(const host::ControlId& control) override {
    HWND h = Handle(control);
    host::Text text(static_cast<std::size_t>(::GetWindowTextLengthW(h)) + 1, u'\0');
    const int got = ::GetWindowTextW(h, reinterpret_cast<wchar_t*>(text.data()), static_cast<int>(text.size()));
    text.resize(static_cast<std::size_t>(std::max(got, 0)));
    return text;
  }

  void SetText(const host::ControlId& control, const host::Text& text) override {
    if (!::SetWindowTextW(Handle(control), Wide(text))) host::com::ThrowLastError();
  }

  bool GetEnabled(const host::ControlId& control) override { return ::IsWindowEnabled(Handle(control)) != FALSE; }

  void SetEnabled(const host::ControlId& control, bool enabled) override {
    HWND h = Handle(control);
    // A disabled control must not keep the focus, or the keyboard stops working.
    if (!enabled && ::GetFocus() == h) ::SendMessageW(Dialog(), WM_NEXTDLGCTL, 0, FALSE);
    ::EnableWindow(h, enabled);
  }

  std::int16_t GetValue(const host::ControlId& control) override {
    return ::SendMessageW(Handle(control), BM_GETCHECK, 0, 0) == BST_CHECKED ? 1 : 0;
  }

  void SetDefaultButton(const host::ControlId& control) override {
    Control& c = window_->Find(control);
    if (c.design.kind != ControlKind::CommandButton) throw host::Error(host::code::InvalidProcedureCall);
    // The dialog manager moves the default style from the old button to the new one.
    ::SendMessageW(Dialog(), DM_SETDEFID, static_cast<WPARAM>(c.id), 0);
  }

  void SetFocus(const host::ControlId& control) override {
    ::SendMessageW(Dialog(), WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(Handle(control)), TRUE);
  }

  void ShowModeless() override { ::ShowWindow(Dialog(), SW_SHOW); }
  void Hide() override { ::ShowWindow(Dialog(), SW_HIDE); }
  bool Visible() override { return ::IsWindowVisible(Dialog()) != FALSE; }
  std::int32_t hWnd() override { return static_cast<std::int32_t>(reinterpret_cast<std::intptr_t>(Dialog())); }

 private:
  HWND Dialog() const {
    if (!window_->hwnd()) throw host::Error(host::code::ObjectNotSet);
    return window_->hwnd();
  }
  HWND Handle(const host::ControlId& control) { return window_->Find(control).hwnd; }

  std::shared_ptr<DialogWindow> window_;
};

}  // namespace

WinDialogToolkit::WinDialogToolkit(HINSTANCE resources, host::MessageBoxes& failures)
    : resources_(resources), failures_(failures) {}

std::unique_ptr<host::FormView> WinDialogToolkit::CreateForm(const host::FormDesign& design,
                                                             host::FormEvents& events) {
  auto window = std::make_shared<DialogWindow>(events, failures_);
  window->Build(resources_, design);  // on a failure the half-built window goes with `window`
  return std::make_unique<WinFormView>(std::move(window));
}

HINSTANCE ThisModule() {
  HMODULE module = nullptr;
  ::GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCWSTR>(&ThisModule), &module);
  return module;
}

}  // namespace mapnote::win
