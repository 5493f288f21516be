// Message boxes, the pointer, event pumping, the clock, the random source,
// the Windows folder and process start on Windows, with the wide calls.
#pragma once

#include "platform/platform.h"
#include "platform/win32/session.h"

namespace merkwandel::platform::win32 {

class Win32UserInterface final : public UserInterface {
 public:
  explicit Win32UserInterface(Session& session) : session_(session) {}

  void ShowMessage(const std::string& text, const std::string& title, MessageIcon icon) override;
  void SetMousePointer(MousePointer pointer) override;
  bool PumpEvents() override;
  void WaitForEvent(double seconds) override;
  double SecondsSinceMidnight() override;
  bool RandomBytes(void* bytes, std::size_t count) override;
  std::string WindowsFolder() override;
  // Only a full path ("C:\..." or "\\server\...") is started: Windows
  // would look for any other name in the current directory first.
  bool StartProcess(const std::string& program, const std::string& commandLine) override;

 private:
  Session& session_;
};

}  // namespace merkwandel::platform::win32
