// The Win32 user-interface operations that work without a window: the
// clock, waiting for events, pumping, the Windows folder and starting a
// process.
#include <windows.h>

#include <gtest/gtest.h>

#include "platform/win32/session.h"
#include "platform/win32/wide.h"
#include "platform/win32/win32_user_interface.h"

namespace merkwandel::testing {
namespace {

using platform::win32::Session;
using platform::win32::Win32UserInterface;

class Win32UserInterfaceTest : public ::testing::Test {
 protected:
  Session session_;
  Win32UserInterface ui_{session_};
};

TEST_F(Win32UserInterfaceTest, TheClockIsTheLocalTimeOfDay) {
  SYSTEMTIME now{};
  GetLocalTime(&now);
  const double expected = now.wHour * 3600.0 + now.wMinute * 60.0 + now.wSecond;
  const double seconds = ui_.SecondsSinceMidnight();
  EXPECT_GE(seconds, 0.0);
  EXPECT_LT(seconds, 86400.0);
  // Within two seconds, or just past midnight.
  EXPECT_TRUE(std::abs(seconds - expected) < 2.0 || seconds < 2.0) << seconds << " vs " << expected;
}

TEST_F(Win32UserInterfaceTest, WaitingEndsAfterTheTimeOrAtAnEvent) {
  const DWORD start = GetTickCount();
  ui_.WaitForEvent(0.2);
  const DWORD waited = GetTickCount() - start;
  EXPECT_GE(waited, 150u);
  EXPECT_LT(waited, 2000u);

  ASSERT_TRUE(PostThreadMessageW(GetCurrentThreadId(), WM_APP, 0, 0));
  const DWORD again = GetTickCount();
  ui_.WaitForEvent(5.0);
  EXPECT_LT(GetTickCount() - again, 2000u);

  // A pump handles what waits and returns at once.
  EXPECT_TRUE(ui_.PumpEvents());
  MSG left{};
  EXPECT_FALSE(PeekMessageW(&left, nullptr, 0, 0, PM_NOREMOVE));

  const DWORD none = GetTickCount();
  ui_.WaitForEvent(0.0);
  ui_.WaitForEvent(-1.0);
  EXPECT_LT(GetTickCount() - none, 100u);
}

TEST_F(Win32UserInterfaceTest, APumpAnswersFalseOnceTheWindowIsClosingOrTheProgramEnds) {
  session_.closing = true;
  EXPECT_FALSE(ui_.PumpEvents());
  session_.closing = false;
  PostQuitMessage(3);
  EXPECT_FALSE(ui_.PumpEvents());
  EXPECT_TRUE(session_.closing);
  // The request to end stays for the message loop.
  MSG quit{};
  ASSERT_TRUE(PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
  EXPECT_EQ(quit.wParam, 3u);
}

// Only by a full path: Windows looks for any other name in the current
// directory first, where anything may lie.
TEST_F(Win32UserInterfaceTest, StartsAProgramByItsFullPathOnly) {
  const std::string windows = ui_.WindowsFolder();
  ASSERT_GE(windows.size(), 3u);
  EXPECT_NE(windows.back(), '\\');
  const std::string system = windows + "\\system32";
  wchar_t before[MAX_PATH + 1];
  ASSERT_NE(GetCurrentDirectoryW(MAX_PATH + 1, before), 0u);
  ASSERT_TRUE(SetCurrentDirectoryW(platform::win32::Wide(system).c_str()));
  const bool byName = ui_.StartProcess("cmd.exe", "cmd.exe /c exit 0");
  SetCurrentDirectoryW(before);
  EXPECT_FALSE(byName) << "started cmd.exe of the current directory";
  EXPECT_TRUE(ui_.StartProcess(system + "\\cmd.exe", "cmd.exe /c exit 0"));
  EXPECT_FALSE(ui_.StartProcess(windows + "\\merkwandel-gibt-es-nicht.exe", "x C:\\"));
}

}  // namespace
}  // namespace merkwandel::testing
