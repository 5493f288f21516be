// The shell's automation objects on Windows: "Shell.Application" created
// through COM and called late bound, by member name, through IDispatch.
// Each call initialises COM on the calling thread for as long as any object
// it handed out lives.
#pragma once

#include "platform/platform.h"

namespace merkwandel::platform::win32 {

class Win32ShellAutomation final : public ShellAutomation {
 public:
  std::unique_ptr<ShellApplication> CreateShellApplication() override;
};

}  // namespace merkwandel::platform::win32
