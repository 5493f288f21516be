#include "platform/win32/win32_user_interface.h"

#include <windows.h>
// After <windows.h>, which it needs.
#include <ntsecapi.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "platform/win32/handles.h"
#include "platform/win32/wide.h"

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
  MessageBoxW(owner, Wide(text).c_str(), Wide(title).c_str(), MB_OK | IconFlag(icon));
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
    const LRESULT hit = SendMessageW(under, WM_NCHITTEST, 0, MAKELPARAM(at.x, at.y));
    SendMessageW(under, WM_SETCURSOR, reinterpret_cast<WPARAM>(under),
                 MAKELPARAM(static_cast<WORD>(hit), WM_MOUSEMOVE));
  } else {
    SetCursor(LoadCursor(nullptr, IDC_ARROW));
  }
}

void Win32UserInterface::ShowProgress(const std::string& caption, std::optional<int> percent) {
  const HWND window = session_.window;
  if (window == nullptr || !IsWindow(window)) return;
  SetWindowTextW(window, Wide(caption).c_str());
  if (!taskbar_) {
    if (!percent) return;
    auto& made = taskbar_.emplace();
    void* list = nullptr;
    if (made.com.Usable() && SUCCEEDED(CoCreateInstance(CLSID_TaskbarList, nullptr, CLSCTX_INPROC_SERVER,
                                                        IID_ITaskbarList3, &list))) {
      made.list.Reset(static_cast<ITaskbarList3*>(list));
      if (FAILED(made.list.get()->HrInit())) made.list.Reset();
    }
  }
  if (ITaskbarList3* list = taskbar_->list.get()) {
    list->SetProgressState(window, percent ? TBPF_NORMAL : TBPF_NOPROGRESS);
    if (percent) list->SetProgressValue(window, static_cast<ULONGLONG>(*percent), 100);
  }
  if (!percent) taskbar_.reset();
}

bool Win32UserInterface::PumpEvents() {
  if (session_.closing) return false;
  MSG message{};
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
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
      DispatchMessageW(&message);
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

bool Win32UserInterface::RandomBytes(void* bytes, std::size_t count) {
  // advapi32's SystemFunction036, there since Windows XP; a ULONG at a time.
  for (auto* at = static_cast<unsigned char*>(bytes); count > 0;) {
    const auto chunk = static_cast<ULONG>(std::min<std::size_t>(count, 1 << 20));
    if (!RtlGenRandom(at, chunk)) return false;
    at += chunk;
    count -= chunk;
  }
  return true;
}

std::string Win32UserInterface::WindowsFolder() {
  const UINT needed = GetWindowsDirectoryW(nullptr, 0);
  if (needed == 0) return std::string();
  std::wstring folder(needed, L'\0');
  const UINT length = GetWindowsDirectoryW(folder.data(), needed);
  if (length == 0 || length >= needed) return std::string();
  folder.resize(length);
  while (!folder.empty() && folder.back() == L'\\') folder.pop_back();
  return Utf8(folder);
}

bool Win32UserInterface::StartProcess(const std::string& program, const std::string& commandLine) {
  const std::wstring application = Wide(program);
  const bool fullPath = (application.size() > 3 && application[1] == L':' && application[2] == L'\\') ||
                        application.rfind(L"\\\\", 0) == 0;
  if (!fullPath) return false;
  std::wstring line = Wide(commandLine);  // CreateProcessW may write into its command line
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = SW_SHOWNORMAL;
  PROCESS_INFORMATION started{};
  if (!CreateProcessW(application.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                      &startup, &started)) {
    return false;
  }
  KernelHandle process(started.hProcess);
  KernelHandle thread(started.hThread);
  return true;
}

}  // namespace merkwandel::platform::win32
