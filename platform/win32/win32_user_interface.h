// Message boxes, the pointer, the progress in the caption and on the
// taskbar button, event pumping, the clock, the random source, the Windows
// folder and process start on Windows, with the wide calls.
#pragma once

#include <shobjidl.h>

#include <optional>

#include "platform/platform.h"
#include "platform/win32/handles.h"
#include "platform/win32/session.h"

namespace merkwandel::platform::win32 {

class Win32UserInterface final : public UserInterface {
 public:
  explicit Win32UserInterface(Session& session) : session_(session) {}

  void ShowMessage(const std::string& text, const std::string& title, MessageIcon icon) override;
  void SetMousePointer(MousePointer pointer) override;
  // The taskbar's progress through ITaskbarList3, made at the first progress
  // shown and released when it goes; any failure leaves only the caption.
  void ShowProgress(const std::string& caption, std::optional<int> percent) override;
  bool PumpEvents() override;
  void WaitForEvent(double seconds) override;
  double SecondsSinceMidnight() override;
  bool RandomBytes(void* bytes, std::size_t count) override;
  std::string WindowsFolder() override;
  // Only a full path ("C:\..." or "\\server\...") is started: Windows
  // would look for any other name in the current directory first.
  bool StartProcess(const std::string& program, const std::string& commandLine) override;

 private:
  // COM for as long as the taskbar's list is held (declared first: released last).
  struct Taskbar {
    ComApartment com;
    ComPointer<ITaskbarList3> list;
  };

  Session& session_;
  std::optional<Taskbar> taskbar_;  // while a progress shows; its list null where there is none
};

}  // namespace merkwandel::platform::win32
