// The host backend: the platform interface on a POSIX system, for the tests
// and the console driver. Files are real (see host_file_system.h); what a
// user would see or do (message boxes, the pointer, events, processes) is
// recorded in memory, where tests read it back and observers may print it,
// and the main window is an in-memory window that tests drive (host_forms.h).
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/host/host_dialogs.h"
#include "platform/host/host_file_system.h"
#include "platform/host/host_registry.h"
#include "platform/host/host_forms.h"
#include "platform/host/host_shell.h"
#include "platform/platform.h"

namespace merkwandel::platform::host {

struct ShownMessage {
  std::string text;
  std::string title;
  MessageIcon icon;
};

// A progress shown: the caption, and the taskbar's percentage or none.
struct ShownProgress {
  std::string caption;
  std::optional<int> percent;
};

struct StartedProcess {
  std::string program;  // the full path of the program file
  std::string commandLine;
  bool operator==(const StartedProcess&) const = default;
};

class HostUserInterface final : public UserInterface {
 public:
  // What happened, in order.
  std::vector<ShownMessage> messages;
  std::vector<StartedProcess> startedProcesses;
  std::vector<MousePointer> pointerChanges;
  std::vector<ShownProgress> progress;
  MousePointer pointer = MousePointer::kDefault;
  std::size_t pumps = 0;

  // Observers, called as things happen; each may be left empty.
  std::function<void(const ShownMessage&)> onMessage;
  std::function<void(const ShownProgress&)> onProgress;
  std::function<void(const StartedProcess&)> onProcessStart;
  // Called at every pump; its answer is PumpEvents' answer (false: the window
  // is closing). Without it every pump answers true.
  std::function<bool()> onPump;
  // The window whose pending user actions a pump handles; when it is
  // closing, PumpEvents answers false whatever onPump says.
  HostForms* window = nullptr;
  // Answer of StartProcess.
  bool processStartSucceeds = true;
  // Answer of WindowsFolder.
  std::string windowsFolder = "C:\\Windows";

  // A clock that moves only when waited on, for tests: WaitForEvent adds its
  // time to it, in whole microseconds and at least one, so that every wait
  // moves it however short. Without it the real local time of day is used
  // and WaitForEvent really sleeps.
  void UseVirtualClock(double secondsSinceMidnight);
  double VirtualTime() const { return static_cast<double>(virtualMicroseconds_) / 1e6; }

  void ShowMessage(const std::string& text, const std::string& title, MessageIcon icon) override;
  void SetMousePointer(MousePointer newPointer) override;
  void ShowProgress(const std::string& caption, std::optional<int> percent) override;
  bool PumpEvents() override;
  void WaitForEvent(double seconds) override;
  double SecondsSinceMidnight() override;
  bool RandomBytes(void* bytes, std::size_t count) override;
  std::string WindowsFolder() override { return windowsFolder; }
  bool StartProcess(const std::string& program, const std::string& commandLine) override;

 private:
  bool virtualClock_ = false;
  std::int64_t virtualMicroseconds_ = 0;
};

class HostPlatform final : public Platform {
 public:
  HostPlatform() { ui_.window = &forms_; }
  HostPlatform(const HostPlatform&) = delete;
  HostPlatform& operator=(const HostPlatform&) = delete;

  FileSystem& Files() override { return files_; }
  UserInterface& Ui() override { return ui_; }
  Registry& Reg() override { return registry_; }
  Forms& Window() override { return forms_; }
  CommonDialogs& Dialogs() override { return dialogs_; }
  ShellAutomation& Shell() override { return shell_; }

  HostFileSystem& HostFiles() { return files_; }
  HostUserInterface& HostUi() { return ui_; }
  HostRegistry& HostReg() { return registry_; }
  HostForms& HostWindow() { return forms_; }
  HostCommonDialogs& HostDialogs() { return dialogs_; }
  HostShellAutomation& HostShell() { return shell_; }

 private:
  HostFileSystem files_;
  HostUserInterface ui_;
  HostRegistry registry_;
  HostForms forms_;
  HostCommonDialogs dialogs_;
  HostShellAutomation shell_;
};

}  // namespace merkwandel::platform::host
