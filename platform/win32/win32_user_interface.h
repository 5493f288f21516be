// Message boxes, the pointer, event pumping, the clock and process start on
// Windows; and the ANSI code page.
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
  bool StartProcess(const std::string& commandLine) override;

 private:
  Session& session_;
};

// The system's ANSI code page through WideCharToMultiByte.
class Win32Encoding final : public Encoding {
 public:
  std::optional<unsigned char> AnsiFromUnicode(char32_t codePoint) override;
};

}  // namespace merkwandel::platform::win32
