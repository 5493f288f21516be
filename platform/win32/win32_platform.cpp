#include "platform/win32/win32_platform.h"

#include "platform/win32/session.h"
#include "platform/win32/win32_dialogs.h"
#include "platform/win32/win32_file_system.h"
#include "platform/win32/win32_registry.h"
#include "platform/win32/win32_shell.h"
#include "platform/win32/win32_forms.h"
#include "platform/win32/win32_user_interface.h"

namespace merkwandel::platform::win32 {
namespace {

class Win32Platform final : public Platform {
 public:
  Win32Platform() : ui_(session_), forms_(session_) {}
  FileSystem& Files() override { return files_; }
  UserInterface& Ui() override { return ui_; }
  Forms& Window() override { return forms_; }
  Registry& Reg() override { return registry_; }
  CommonDialogs& Dialogs() override { return dialogs_; }
  ShellAutomation& Shell() override { return shell_; }

 private:
  Session session_;
  Win32FileSystem files_;
  Win32UserInterface ui_;
  Win32Forms forms_;
  Win32Registry registry_;
  Win32CommonDialogs dialogs_;
  Win32ShellAutomation shell_;
};

}  // namespace

std::unique_ptr<Platform> CreateWin32Platform() { return std::make_unique<Win32Platform>(); }

}  // namespace merkwandel::platform::win32
