#include "platform/win32/win32_user_interface.h"

#include <windows.h>

#include <cmath>
#include <vector>

#include "platform/win32/handles.h"

namespace merkwandel::platform::win32 {
namespace {

UINT IconFlag(MessageIcon icon) {
  switch (icon) {
    case MessageIcon::kWarning: return MB_ICONWARNING;
    case MessageIcon::kError: return MB_ICONERROR;
    case MessageIcon::kInformation: return MB_ICONINFORMATION;
  }
  return MB_ICONINFORMATION;
}

}  // namespace

void Win32UserInterface::ShowMessage(const std::string& text, const std::string& title,
                                     MessageIcon icon) {
  // Modal to the main window, when there is one.
  const HWND owner = session_.window != nullptr && IsWindow(session_.window) ? session_.window : nullptr;
  MessageBoxA(owner, text.c_str(), title.c_str(), MB_OK | IconFlag(icon));
}

void Win32UserInterface::SetMousePointer(MousePointer pointer) {
  session_.waitCursor = pointer == MousePointer::kHourglass;
  if (session_.waitCursor) {
    SetCursor(LoadCursor(nullptr, IDC_WAIT));
    return;
  }
  // Let the window under the pointer choose its own pointer again.
  POINT at{};
  if (!GetCursorPos(&at)) return;
  const HWND under = WindowFromPoint(at);
  if (under != nullptr && GetWindowThreadProcessId(under, nullptr) == GetCurrentThreadId()) {
    const LRESULT hit = SendMessageA(under, WM_NCHITTEST, 0, MAKELPARAM(at.x, at.y));
    SendMessageA(under, WM_SETCURSOR, reinterpret_cast<WPARAM>(under),
                 MAKELPARAM(static_cast<WORD>(hit), WM_MOUSEMOVE));
  } else {
    SetCursor(LoadCursor(nullptr, IDC_ARROW));
  }
}

bool Win32UserInterface::PumpEvents() {
  if (session_.closing) return false;
  MSG message{};
  while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (message.message == WM_QUIT) {
      // Whoever asked the program to end: the message loop sees it again.
      PostQuitMessage(static_cast<int>(message.wParam));
      session_.closing = true;
      break;
    }
    if (session_.dispatch) {
      session_.dispatch(message);
    } else {
      TranslateMessage(&message);
      DispatchMessageA(&message);
    }
    if (session_.closing) break;
  }
  return !session_.closing;
}

void Win32UserInterface::WaitForEvent(double seconds) {
  if (!(seconds > 0.0)) return;
  const double milliseconds = std::ceil(seconds * 1000.0);
  const DWORD timeout = milliseconds >= 0x7FFFFFFF ? 0x7FFFFFFF : static_cast<DWORD>(milliseconds);
  MsgWaitForMultipleObjectsEx(0, nullptr, timeout, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
}

double Win32UserInterface::SecondsSinceMidnight() {
  SYSTEMTIME now{};
  GetLocalTime(&now);
  return now.wHour * 3600.0 + now.wMinute * 60.0 + now.wSecond + now.wMilliseconds / 1000.0;
}

bool Win32UserInterface::StartProcess(const std::string& commandLine) {
  std::vector<char> line(commandLine.begin(), commandLine.end());
  line.push_back('\0');  // CreateProcessA may write into its command line
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = SW_SHOWNORMAL;
  PROCESS_INFORMATION started{};
  if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                      &started)) {
    return false;
  }
  KernelHandle process(started.hProcess);
  KernelHandle thread(started.hThread);
  return true;
}

std::optional<unsigned char> Win32Encoding::AnsiFromUnicode(char32_t codePoint) {
  if (codePoint > 0x10FFFF || (codePoint >= 0xD800 && codePoint <= 0xDFFF)) return std::nullopt;
  wchar_t wide[2];
  int length = 1;
  if (codePoint >= 0x10000) {
    const char32_t rest = codePoint - 0x10000;
    wide[0] = static_cast<wchar_t>(0xD800 + (rest >> 10));
    wide[1] = static_cast<wchar_t>(0xDC00 + (rest & 0x3FF));
    length = 2;
  } else {
    wide[0] = static_cast<wchar_t>(codePoint);
  }
  char bytes[8];
  BOOL usedDefault = FALSE;
  const int written = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide, length, bytes,
                                          sizeof bytes, nullptr, &usedDefault);
  if (written != 1 || usedDefault) return std::nullopt;
  return static_cast<unsigned char>(bytes[0]);
}

}  // namespace merkwandel::platform::win32
