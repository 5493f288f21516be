// The Windows program: makes the platform, opens Root and runs it until the
// user closes it. Linked as a GUI program; the C runtime calls main.
#include "app/main_window.h"
#include "platform/win32/win32_platform.h"

int main() {
  const auto platform = merkwandel::platform::win32::CreateWin32Platform();
  merkwandel::app::MainWindow root(*platform);
  return root.Run() ? 0 : 1;
}
