#include "platform/win32/win32_forms.h"

#include <cmath>

#include "platform/common/form_geometry.h"
#include "platform/win32/wide.h"

namespace merkwandel::platform::win32 {
namespace {

// Control identifiers start above those a dialog gives a meaning (IDOK,
// IDCANCEL: Esc sends IDCANCEL, which no control answers to).
constexpr int kFirstControlId = 100;

constexpr DWORD kWindowStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;

int FontHeight(double points, int dpi) {
  return -static_cast<int>(std::lround(points * dpi / 72.0));
}

// The character set asked for is the design's ANSI one: it only helps
// choose a face. Texts are drawn through the wide calls, so every character
// shows that the face has, or a face that Windows links to it (CJK): under
// Wine, Cyrillic, Polish, Greek, Hebrew and emoji show in the fields exactly
// as with DEFAULT_CHARSET, and CJK wherever a CJK face is linked to Tahoma.
HFONT MakeFont(const FontDesign& font, int dpi) {
  return CreateFontW(FontHeight(font.points, dpi), 0, 0, 0, font.weight, FALSE, FALSE, FALSE,
                     ANSI_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                     DEFAULT_PITCH | FF_DONTCARE, Wide(font.face).c_str());
}

Win32Forms* FormsOf(HWND window) {
  return reinterpret_cast<Win32Forms*>(GetWindowLongPtrW(window, GWLP_USERDATA));
}

}  // namespace

Win32Forms::~Win32Forms() {
  session_.dispatch = nullptr;
  if (window_) {
    session_.window = nullptr;
    window_.Reset();
  }
}

LRESULT CALLBACK Win32Forms::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  Win32Forms* forms = FormsOf(window);
  if (forms == nullptr) return DefWindowProcW(window, message, wParam, lParam);
  // Nothing may leave a window procedure by an exception.
  try {
    return forms->Handle(window, message, wParam, lParam);
  } catch (...) {
    return DefWindowProcW(window, message, wParam, lParam);
  }
}

bool Win32Forms::Create(const FormDesign& design, FormEvents& events) {
  if (created_) return false;
  created_ = true;
  design_ = &design;
  events_ = &events;
  instance_ = GetModuleHandleW(nullptr);
  {
    ScreenDc screen;
    if (screen.get() != nullptr) {
      dpiX_ = GetDeviceCaps(screen.get(), LOGPIXELSX);
      dpiY_ = GetDeviceCaps(screen.get(), LOGPIXELSY);
    }
  }

  WNDCLASSEXW windowClass{};
  windowClass.cbSize = sizeof windowClass;
  windowClass.lpfnWndProc = &Win32Forms::WindowProc;
  windowClass.hInstance = instance_;
  windowClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  windowClass.lpszClassName = L"MerkwandelRoot";
  if (!mainClass_.Register(windowClass)) return false;
  // Picture boxes: containers with the background of a window.
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  windowClass.lpszClassName = L"MerkwandelPicture";
  if (!containerClass_.Register(windowClass)) return false;

  windowFont_.Reset(MakeFont(design.font, dpiY_));
  controlFonts_.resize(design.controls.size());
  for (std::size_t i = 0; i < design.controls.size(); ++i) {
    if (design.controls[i].font) controlFonts_[i].Reset(MakeFont(*design.controls[i].font, dpiY_));
  }
  const auto loadIcon = [&](int size) {
    return static_cast<HICON>(LoadImageW(instance_, MAKEINTRESOURCEW(kApplicationIcon), IMAGE_ICON,
                                         size, size, 0));
  };
  bigIcon_.Reset(loadIcon(GetSystemMetrics(SM_CXICON)));
  smallIcon_.Reset(loadIcon(GetSystemMetrics(SM_CXSMICON)));
  imageIcon_.Reset(loadIcon(48));

  // The outer size follows from the client area and the frame Windows draws.
  RECT frame{0, 0, forms::TwipsToPixels(design.clientWidth, dpiX_),
             forms::TwipsToPixels(design.clientHeight, dpiY_)};
  AdjustWindowRectEx(&frame, kWindowStyle, FALSE, 0);
  const int width = frame.right - frame.left;
  const int height = frame.bottom - frame.top;
  const int left = (GetSystemMetrics(SM_CXSCREEN) - width) / 2;
  const int top = (GetSystemMetrics(SM_CYSCREEN) - height) / 2;

  window_.Reset(CreateWindowExW(0, mainClass_.name(), Wide(design.caption).c_str(), kWindowStyle,
                                left, top, width, height, nullptr, nullptr, instance_, this));
  if (!window_) return false;
  session_.window = window_.get();
  session_.closing = false;
  session_.dispatch = [this](MSG& message) { Dispatch(message); };
  if (bigIcon_) SendMessageW(window_.get(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(bigIcon_.get()));
  if (smallIcon_) {
    SendMessageW(window_.get(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(smallIcon_.get()));
  }
  if (!CreateControls()) {
    session_.window = nullptr;
    session_.dispatch = nullptr;
    window_.Reset();
    return false;
  }
  return true;
}

bool Win32Forms::CreateControls() {
  const FormDesign& design = *design_;
  controls_.assign(design.controls.size(), nullptr);
  // Made in Tab order: the dialog keyboard follows the order of the windows.
  for (std::size_t i : forms::TabOrder(design)) {
    const ControlDesign& control = design.controls[i];
    if (!control.visible) continue;  // what is never shown is no window
    HWND parent = window_.get();
    if (control.container >= 0) {
      parent = Control(static_cast<std::size_t>(control.container));
      if (parent == nullptr) return false;
    }
    const bool takesFocus = forms::KindTakesFocus(control.kind) && control.tabIndex >= 0;
    DWORD style = WS_CHILD | WS_VISIBLE | (takesFocus ? WS_TABSTOP : 0u) |
                  (control.enabled ? 0u : static_cast<DWORD>(WS_DISABLED));
    DWORD exStyle = 0;
    const wchar_t* className = L"STATIC";
    std::wstring text = Wide(control.text);
    switch (control.kind) {
      case ControlKind::kLabel:
        style |= control.autoSize ? SS_LEFTNOWORDWRAP : SS_LEFT;
        break;
      case ControlKind::kCommandButton:
        className = L"BUTTON";
        style |= (control.defaultButton ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON) | BS_NOTIFY;
        break;
      case ControlKind::kTextBox:
        className = L"EDIT";
        style |= ES_LEFT | ES_AUTOHSCROLL | ES_NOHIDESEL;
        exStyle |= WS_EX_CLIENTEDGE;
        break;
      case ControlKind::kMultiLineTextBox:
        className = L"EDIT";
        style |= ES_LEFT | ES_MULTILINE | ES_READONLY;
        exStyle |= WS_EX_CLIENTEDGE;
        break;
      case ControlKind::kPictureBox:
        className = containerClass_.name();
        style |= WS_CLIPCHILDREN | (control.border ? static_cast<DWORD>(WS_BORDER) : 0u);
        break;
      case ControlKind::kImage:
        style |= SS_OWNERDRAW;
        text.clear();
        break;
      case ControlKind::kDirectoryList:
      case ControlKind::kFileList:
        className = L"LISTBOX";
        style |= WS_VSCROLL | LBS_NOINTEGRALHEIGHT;
        exStyle |= WS_EX_CLIENTEDGE;
        break;
    }
    forms::PixelRect rect{forms::TwipsToPixels(control.left, dpiX_),
                          forms::TwipsToPixels(control.top, dpiY_),
                          forms::TwipsToPixels(control.width, dpiX_),
                          forms::TwipsToPixels(control.height, dpiY_)};
    if (control.autoSize) FitText(i, rect);
    const HWND made = CreateWindowExW(
        exStyle, className, text.c_str(), style, rect.left, rect.top, rect.width, rect.height, parent,
        reinterpret_cast<HMENU>(static_cast<INT_PTR>(kFirstControlId + static_cast<int>(i))),
        instance_, nullptr);
    if (made == nullptr) return false;
    controls_[i] = made;
    if (control.kind == ControlKind::kPictureBox) {
      SetWindowLongPtrW(made, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    }
    if (control.kind == ControlKind::kTextBox) SendMessageW(made, EM_SETLIMITTEXT, 0, 0);
    SendMessageW(made, WM_SETFONT, reinterpret_cast<WPARAM>(FontFor(i)), FALSE);
    if (control.kind == ControlKind::kCommandButton && control.defaultButton) {
      defaultButton_ = currentDefault_ = made;
    }
  }
  return true;
}

void Win32Forms::FitText(std::size_t control, forms::PixelRect& rect) const {
  // The size of the one line in the control's font, "&" as Windows shows it.
  ScreenDc screen;
  if (screen.get() == nullptr) return;
  const HGDIOBJ before = SelectObject(screen.get(), FontFor(control));
  RECT extent{0, 0, 0, 0};
  const std::wstring text = Wide(design_->controls[control].text);
  const int height = DrawTextW(screen.get(), text.c_str(), static_cast<int>(text.size()), &extent,
                               DT_CALCRECT | DT_SINGLELINE | DT_LEFT);
  SelectObject(screen.get(), before);
  if (height <= 0) return;
  rect.width = extent.right - extent.left;
  rect.height = extent.bottom - extent.top;
}

HFONT Win32Forms::FontFor(std::size_t control) const {
  return controlFonts_[control] ? controlFonts_[control].get() : windowFont_.get();
}

HWND Win32Forms::Control(std::size_t control) const {
  if (!window_ || control >= controls_.size()) return nullptr;
  return controls_[control];
}

int Win32Forms::IndexOf(HWND control) const {
  if (control == nullptr) return -1;
  for (std::size_t i = 0; i < controls_.size(); ++i) {
    if (controls_[i] == control) return static_cast<int>(i);
  }
  return -1;
}

void Win32Forms::Deliver(int control) {
  ++handlers_;
  try {
    if (control < 0) {
      events_->Load();
    } else {
      events_->Click(static_cast<std::size_t>(control));
    }
  } catch (...) {
    // A handler's failure ends that handler, not the program.
  }
  // Closed while the handler ran: the window goes now that none runs.
  if (--handlers_ == 0 && session_.closing && window_) DestroyWindow(window_.get());
}

void Win32Forms::Run() {
  if (!window_) return;
  Deliver(-1);
  if (!window_) return;
  ShowWindow(window_.get(), SW_SHOWNORMAL);
  UpdateWindow(window_.get());
  MoveFocus(GetNextDlgTabItem(window_.get(), nullptr, FALSE));

  MSG message{};
  while (GetMessageW(&message, nullptr, 0, 0) > 0) Dispatch(message);
}

void Win32Forms::MoveFocus(HWND to) {
  if (to == nullptr) return;
  // Like a dialog: a text box reached with the keyboard has all its text selected.
  if (SendMessageW(to, WM_GETDLGCODE, 0, 0) & DLGC_HASSETSEL) SendMessageW(to, EM_SETSEL, 0, -1);
  SetFocus(to);
}

void Win32Forms::RestoreFocus() {
  if (savedFocus_ != nullptr && IsWindow(savedFocus_) && IsWindowEnabled(savedFocus_)) {
    SetFocus(savedFocus_);
  } else {
    MoveFocus(GetNextDlgTabItem(window_.get(), nullptr, FALSE));
  }
}

void Win32Forms::ShowDefaultButton() {
  // The button with the focus is the one Enter clicks and looks like the
  // default; while no button has the focus, the design's default button is.
  HWND wanted = defaultButton_;
  const HWND focus = GetFocus();
  const int focused = IndexOf(focus);
  if (focused >= 0 && design_->controls[static_cast<std::size_t>(focused)].kind ==
                          ControlKind::kCommandButton) {
    wanted = focus;
  }
  currentDefault_ = wanted;
  for (std::size_t i = 0; i < controls_.size(); ++i) {
    if (controls_[i] == nullptr || design_->controls[i].kind != ControlKind::kCommandButton) continue;
    const bool looksDefault =
        (GetWindowLongW(controls_[i], GWL_STYLE) & BS_TYPEMASK) == BS_DEFPUSHBUTTON;
    if (looksDefault != (controls_[i] == wanted)) {
      SendMessageW(controls_[i], BM_SETSTYLE,
                   (controls_[i] == wanted ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON) | BS_NOTIFY, TRUE);
    }
  }
}

void Win32Forms::Dispatch(MSG& message) {
  if (window_ && IsDialogMessageW(window_.get(), &message)) {
    // The dialog keyboard may have moved the focus and changed the buttons'
    // looks after its own rules; ours decide.
    if (window_) ShowDefaultButton();
    return;
  }
  TranslateMessage(&message);
  DispatchMessageW(&message);
}

LRESULT Win32Forms::ColourStatic(HDC dc, HWND control) {
  const int index = IndexOf(control);
  if (index < 0) return 0;
  const ControlDesign& design = design_->controls[static_cast<std::size_t>(index)];
  if (design.kind != ControlKind::kLabel) return 0;
  // What shows through a transparent label: its container's background.
  Background behind = Background::kDefault;
  if (design.container >= 0) {
    behind = design_->controls[static_cast<std::size_t>(design.container)].background;
  }
  const int systemColour = behind == Background::kWindow ? COLOR_WINDOW : COLOR_BTNFACE;
  if (design.background == Background::kTransparent) SetBkMode(dc, TRANSPARENT);
  SetBkColor(dc, GetSysColor(systemColour));
  if (design.foreground) {
    SetTextColor(dc, RGB(design.foreground->red, design.foreground->green, design.foreground->blue));
  } else {
    SetTextColor(dc, GetSysColor(behind == Background::kWindow ? COLOR_WINDOWTEXT : COLOR_BTNTEXT));
  }
  return reinterpret_cast<LRESULT>(GetSysColorBrush(systemColour));
}

void Win32Forms::DrawImage(const DRAWITEMSTRUCT& item) {
  FillRect(item.hDC, &item.rcItem, GetSysColorBrush(COLOR_BTNFACE));
  // At its own size, from the top left corner: never stretched.
  if (imageIcon_) DrawIconEx(item.hDC, 0, 0, imageIcon_.get(), 0, 0, 0, nullptr, DI_NORMAL);
}

std::optional<LRESULT> Win32Forms::PaintChild(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CTLCOLORSTATIC: {
      const LRESULT brush = ColourStatic(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam));
      if (brush != 0) return brush;
      return std::nullopt;
    }
    case WM_DRAWITEM:
      DrawImage(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
      return TRUE;
    default:
      return std::nullopt;
  }
}

LRESULT Win32Forms::Handle(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  const bool isMain = window == window_.get() || !window_;
  if (!isMain) {
    // A picture box: the colours and drawing of its children are the
    // window's business; everything else is the default.
    if (const auto handled = PaintChild(message, wParam, lParam)) return *handled;
    return DefWindowProcW(window, message, wParam, lParam);
  }

  switch (message) {
    case WM_COMMAND: {
      const HWND from = reinterpret_cast<HWND>(lParam);
      const int index = IndexOf(from);
      if (index < 0) return 0;  // Esc (IDCANCEL) and menu commands: nothing
      const auto& control = design_->controls[static_cast<std::size_t>(index)];
      const WORD code = HIWORD(wParam);
      if (control.kind == ControlKind::kCommandButton) {
        if (code == BN_CLICKED && IsWindowEnabled(from) && !session_.closing) Deliver(index);
        if (code == BN_SETFOCUS || code == BN_KILLFOCUS) ShowDefaultButton();
      } else if (control.kind == ControlKind::kTextBox && code == EN_SETFOCUS) {
        ShowDefaultButton();
      }
      return 0;
    }
    case DM_GETDEFID:
      if (currentDefault_ == nullptr) return 0;
      return MAKELRESULT(GetDlgCtrlID(currentDefault_), DC_HASDEFID);
    case WM_NEXTDLGCTL: {
      // From the dialog keyboard: an access key of a label first puts the
      // focus on the label, then moves it on to the next control.
      HWND to = LOWORD(lParam) != 0 ? reinterpret_cast<HWND>(wParam)
                                    : GetNextDlgTabItem(window, GetFocus(), wParam != 0);
      if (LOWORD(lParam) != 0) {
        if (to != nullptr) SetFocus(to);
      } else {
        MoveFocus(to);
      }
      return 0;
    }
    case WM_ACTIVATE:
      if (LOWORD(wParam) == WA_INACTIVE) {
        const HWND focus = GetFocus();
        if (focus != nullptr && IsChild(window, focus)) savedFocus_ = focus;
      } else if (!HIWORD(wParam)) {  // not minimised
        RestoreFocus();
      }
      return 0;
    case WM_SETCURSOR:
      if (session_.waitCursor) {
        SetCursor(LoadCursor(nullptr, IDC_WAIT));
        return TRUE;
      }
      break;
    case WM_CTLCOLORSTATIC:
    case WM_DRAWITEM:
      if (const auto handled = PaintChild(message, wParam, lParam)) return *handled;
      break;
    case WM_CLOSE:
      if (handlers_ > 0) {
        // A handler (a conversion) runs: it stops at its next event pump,
        // and the window goes when it has returned.
        session_.closing = true;
      } else {
        DestroyWindow(window);
      }
      return 0;
    case WM_DESTROY:
      session_.closing = true;
      session_.window = nullptr;
      session_.dispatch = nullptr;
      PostQuitMessage(0);
      return 0;
    case WM_NCDESTROY:
      window_.release();
      controls_.assign(controls_.size(), nullptr);
      break;
    default:
      break;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

std::string Win32Forms::Text(std::size_t control) {
  const HWND made = Control(control);
  if (made == nullptr) return std::string();
  const int length = GetWindowTextLengthW(made);
  if (length <= 0) return std::string();
  std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
  const int read = GetWindowTextW(made, text.data(), length + 1);
  text.resize(static_cast<std::size_t>(read > 0 ? read : 0));
  return Utf8(text);
}

void Win32Forms::SetText(std::size_t control, const std::string& text) {
  if (const HWND made = Control(control)) SetWindowTextW(made, Wide(text).c_str());
}

bool Win32Forms::Enabled(std::size_t control) {
  const HWND made = Control(control);
  return made != nullptr && IsWindowEnabled(made);
}

void Win32Forms::SetEnabled(std::size_t control, bool enabled) {
  const HWND made = Control(control);
  if (made == nullptr) return;
  if (!enabled && GetFocus() == made) lostFocus_ = made;
  EnableWindow(made, enabled ? TRUE : FALSE);
  // A control disabled while it had the focus gets it back when it is
  // enabled again and nothing else took it meanwhile.
  if (enabled && made == lostFocus_) {
    lostFocus_ = nullptr;
    const HWND focus = GetFocus();
    if (focus == nullptr || focus == window_.get()) {
      if (GetActiveWindow() == window_.get()) {
        SetFocus(made);
      } else {
        savedFocus_ = made;
      }
    }
  }
}

std::uintptr_t Win32Forms::WindowHandle() {
  return window_ ? reinterpret_cast<std::uintptr_t>(window_.get()) : 0;
}

}  // namespace merkwandel::platform::win32
