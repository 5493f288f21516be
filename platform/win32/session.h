// What the window and the user-interface operations of the Win32 backend
// share: the main window, whether it is closing, and the pointer.
#pragma once

#include <windows.h>

#include <functional>

namespace merkwandel::platform::win32 {

struct Session {
  HWND window = nullptr;    // the main window while it exists
  bool closing = false;     // closed (or closed while a handler ran): pumps answer false
  bool waitCursor = false;  // the hourglass over every window of the program
  // Handles one message the way the window wants it (its dialog keyboard);
  // empty while there is no window.
  std::function<void(MSG&)> dispatch;
};

}  // namespace merkwandel::platform::win32
