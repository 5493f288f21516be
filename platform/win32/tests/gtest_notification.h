// GoogleTest's Notification for mingw's win32 thread model, whose C++
// library has no std::mutex: a manual-reset event of Windows instead.
// Included ahead of GoogleTest's own headers (see CMakeLists.txt).
#pragma once

#include <windows.h>

namespace testing::internal {

class Notification {
 public:
  Notification() : event_(CreateEventA(nullptr, TRUE, FALSE, nullptr)) {}
  Notification(const Notification&) = delete;
  Notification& operator=(const Notification&) = delete;
  ~Notification() {
    if (event_ != nullptr) CloseHandle(event_);
  }
  void Notify() { SetEvent(event_); }
  void WaitForNotification() { WaitForSingleObject(event_, INFINITE); }

 private:
  HANDLE event_;
};

}  // namespace testing::internal
