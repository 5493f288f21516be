// The main window on Windows: a top-level window with real controls, made
// from the design at the screen's dots per inch, with the keyboard handling
// of a dialog (Tab, Enter for the default button, access keys).
#pragma once

#include <windows.h>

#include <optional>

#include <vector>

#include "platform/common/form_geometry.h"
#include "platform/platform.h"
#include "platform/win32/handles.h"
#include "platform/win32/session.h"

namespace merkwandel::platform::win32 {

// The resource number of the application icon.
inline constexpr int kApplicationIcon = 1;

class Win32Forms final : public Forms {
 public:
  explicit Win32Forms(Session& session) : session_(session) {}
  ~Win32Forms() override;
  Win32Forms(const Win32Forms&) = delete;
  Win32Forms& operator=(const Win32Forms&) = delete;

  bool Create(const FormDesign& design, FormEvents& events) override;
  void Run() override;
  std::string Text(std::size_t control) override;
  void SetText(std::size_t control, const std::string& text) override;
  bool Enabled(std::size_t control) override;
  void SetEnabled(std::size_t control, bool enabled) override;
  std::uintptr_t WindowHandle() override;

 private:
  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT Handle(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  bool CreateControls();
  HWND Control(std::size_t control) const;
  int IndexOf(HWND control) const;  // -1 for a window that is no control of the design
  void Deliver(int control);        // -1: the load event
  void MoveFocus(HWND to);
  void RestoreFocus();
  void Dispatch(MSG& message);
  void ShowDefaultButton();
  // Colours of static controls and the drawing of Image1, for whichever
  // window (the main window or a picture box) is their parent; nothing for
  // any other message or when the default should answer.
  std::optional<LRESULT> PaintChild(UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT ColourStatic(HDC dc, HWND control);
  void DrawImage(const DRAWITEMSTRUCT& item);
  HFONT FontFor(std::size_t control) const;
  void FitText(std::size_t control, forms::PixelRect& rect) const;

  Session& session_;
  const FormDesign* design_ = nullptr;
  FormEvents* events_ = nullptr;
  HINSTANCE instance_ = nullptr;
  int dpiX_ = 96;
  int dpiY_ = 96;
  int handlers_ = 0;  // event handlers running
  bool created_ = false;
  HWND savedFocus_ = nullptr;  // the focus while the window is inactive
  HWND lostFocus_ = nullptr;   // had the focus when it was disabled
  HWND defaultButton_ = nullptr;    // the design's
  HWND currentDefault_ = nullptr;  // the button Enter clicks now
  std::vector<HWND> controls_;     // children of the window, gone with it

  // Released after the window (declared before it).
  WindowClass mainClass_;
  WindowClass containerClass_;
  FontHandle windowFont_;
  std::vector<FontHandle> controlFonts_;
  IconHandle bigIcon_;
  IconHandle smallIcon_;
  IconHandle imageIcon_;
  win32::WindowHandle window_;
};

}  // namespace merkwandel::platform::win32
