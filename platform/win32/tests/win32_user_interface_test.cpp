// The Win32 user-interface operations that work without a window: the
// clock, waiting for events, pumping, starting a process, and the ANSI
// code page.
#include <windows.h>

#include <gtest/gtest.h>

#include "platform/win32/session.h"
#include "platform/win32/win32_user_interface.h"

namespace merkwandel::testing {
namespace {

using platform::win32::Session;
using platform::win32::Win32Encoding;
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

  ASSERT_TRUE(PostThreadMessageA(GetCurrentThreadId(), WM_APP, 0, 0));
  const DWORD again = GetTickCount();
  ui_.WaitForEvent(5.0);
  EXPECT_LT(GetTickCount() - again, 2000u);

  // A pump handles what waits and returns at once.
  EXPECT_TRUE(ui_.PumpEvents());
  MSG left{};
  EXPECT_FALSE(PeekMessageA(&left, nullptr, 0, 0, PM_NOREMOVE));

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
  ASSERT_TRUE(PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
  EXPECT_EQ(quit.wParam, 3u);
}

TEST_F(Win32UserInterfaceTest, StartsProgramsThatExistOnly) {
  EXPECT_TRUE(ui_.StartProcess("cmd.exe /c exit 0"));
  EXPECT_FALSE(ui_.StartProcess("merkwandel-gibt-es-nicht.exe C:\\"));
}

struct AnsiCase {
  char32_t codePoint;
  int byte;  // -1: none
};

class EncodingTest : public ::testing::TestWithParam<AnsiCase> {};

TEST_P(EncodingTest, GivesTheOneByteOfTheCodePageOrNothing) {
  if (GetACP() != 1252) GTEST_SKIP() << "the ANSI code page is " << GetACP();
  Win32Encoding encoding;
  const auto byte = encoding.AnsiFromUnicode(GetParam().codePoint);
  if (GetParam().byte < 0) {
    EXPECT_FALSE(byte.has_value()) << std::hex << static_cast<unsigned>(GetParam().codePoint);
  } else {
    ASSERT_TRUE(byte.has_value()) << std::hex << static_cast<unsigned>(GetParam().codePoint);
    EXPECT_EQ(*byte, GetParam().byte);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Characters, EncodingTest,
    ::testing::Values(AnsiCase{U'A', 0x41}, AnsiCase{0xE4, 0xE4}, AnsiCase{0xDF, 0xDF},
                      AnsiCase{0x20AC, 0x80}, AnsiCase{0x2019, 0x92}, AnsiCase{0x0178, 0x9F},
                      AnsiCase{0x0100, -1},   // best fit would give "A"
                      AnsiCase{0xFF21, -1},   // full-width A, likewise
                      AnsiCase{0x221E, -1},   // best fit would give "8"
                      AnsiCase{0x4E2D, -1}, AnsiCase{0x1F600, -1}, AnsiCase{0xD800, -1},
                      AnsiCase{0x110000, -1}));

}  // namespace
}  // namespace merkwandel::testing
