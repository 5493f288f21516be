// The real Windows calls that no end-to-end run shows: the file system
// under the shared rows, the registry, the user interface's clock, waiting
// and pumping, the dialog record's size, and COM released with the shell
// object.
#include <windows.h>
#include <objbase.h>

#include <gtest/gtest.h>

#include <cmath>

#include "platform/win32/session.h"
#include "platform/win32/wide.h"
#include "platform/win32/win32_dialogs.h"
#include "platform/win32/win32_file_system.h"
#include "platform/win32/win32_registry.h"
#include "platform/win32/win32_shell.h"
#include "platform/win32/win32_user_interface.h"
#include "system/registry.h"
#include "tests/file_system_rows.h"

namespace merkwandel::testing {
namespace {

using namespace std::string_literals;
using platform::win32::Wide;

class Win32TestBackend final : public TestBackend {
 public:
  Win32TestBackend() {
    static unsigned counter = 0;
    const auto name = std::filesystem::temp_directory_path() /
                      ("merkwandel-test-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(++counter));
    const auto utf8 = name.u8string();
    root_.assign(utf8.begin(), utf8.end());
    std::filesystem::create_directory(name);
  }
  platform::FileSystem& Files() override { return files_; }
  std::string Root() override { return root_; }
  std::filesystem::path Local(const std::string& path) override { return std::u8string(path.begin(), path.end()); }
  void SetAttributes(const std::string& path, std::uint32_t attributes) override {
    EXPECT_TRUE(SetFileAttributesW(Wide(path).c_str(), attributes)) << path;
  }
  // Held by a handle of this process: Windows checks sharing handle by handle.
  std::shared_ptr<void> Hold(const std::string& path, bool share) override {
    const HANDLE file = CreateFileW(Wide(path).c_str(), GENERIC_READ | GENERIC_WRITE,
                                    share ? FILE_SHARE_READ | FILE_SHARE_WRITE : 0, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file != INVALID_HANDLE_VALUE) return std::shared_ptr<void>(file, CloseHandle);
    ADD_FAILURE() << "can't hold " << path;
    return nullptr;
  }

 private:
  std::string root_;
  platform::win32::Win32FileSystem files_;
};

TEST(Win32RegistryTest, ReadRegistryValueReadsTextInAnyScriptAndNumbers) {
  const std::string path = "Software\\Merkwandel-Test-" + std::to_string(GetCurrentProcessId());
  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, Wide(path).c_str(), 0, nullptr, REG_OPTION_VOLATILE, KEY_WRITE,
                            nullptr, &key, nullptr),
            ERROR_SUCCESS);
  const std::wstring text = L"C:\\Закладки Łódź\\Ελληνικά 書籤 😀";
  const DWORD number = 0x12345678;
  RegSetValueExW(key, L"Ordner", 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                 static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
  RegSetValueExW(key, L"Zahl", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number), sizeof number);
  RegCloseKey(key);
  const struct {
    const char* name;
    bool read;
    system_helpers::RegistryValue value;  // a text as stored, then the reader's blank
  } rows[] = {{"ORDNER", true, "C:\\Закладки Łódź\\Ελληνικά 書籤 😀\0 "s},
              {"Zahl", true, std::int32_t{0x12345678}},
              {"Fehlt", false, "vorher"s}};
  platform::win32::Win32Registry registry;
  for (const auto& row : rows) {
    system_helpers::RegistryValue value = "vorher"s;
    EXPECT_EQ(system_helpers::ReadRegistryValue(registry, platform::kHkeyCurrentUser, path, row.name, value),
              row.read)
        << row.name;
    EXPECT_EQ(value, row.value) << row.name;
  }
  EXPECT_EQ(registry.OpenKeys(), 0u);
  RegDeleteKeyW(HKEY_CURRENT_USER, Wide(path).c_str());
}

class Win32UserInterfaceTest : public ::testing::Test {
 protected:
  platform::win32::Session session_;
  platform::win32::Win32UserInterface ui_{session_};
};

TEST_F(Win32UserInterfaceTest, TheClockIsTheLocalTimeOfDay) {
  SYSTEMTIME now{};
  GetLocalTime(&now);
  const double expected = now.wHour * 3600.0 + now.wMinute * 60.0 + now.wSecond;
  const double seconds = ui_.SecondsSinceMidnight();
  // Within two seconds, or just past midnight.
  EXPECT_TRUE(std::abs(seconds - expected) < 2.0 || seconds < 2.0) << seconds << " vs " << expected;
}

TEST_F(Win32UserInterfaceTest, WaitingEndsAfterTheTimeOrAtAnEvent) {
  const DWORD start = GetTickCount();
  ui_.WaitForEvent(0.2);
  EXPECT_GE(GetTickCount() - start, 150u);
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

TEST_F(Win32UserInterfaceTest, RandomBytesAreNewEveryTime) {
  std::uint64_t a[2] = {}, b[2] = {};
  ASSERT_TRUE(ui_.RandomBytes(a, sizeof a) && ui_.RandomBytes(b, sizeof b));
  EXPECT_TRUE(a[0] != b[0] && a[1] != b[1]);
}

TEST(Win32FileDialogTest, RefusesARecordLargerThanItKnows) {
  platform::FileDialogRecord record;
  record.structSize = 4096;
  record.file = std::string(260, '\0');
  record.maxFile = 260;
  const auto answer = platform::win32::Win32CommonDialogs().OpenDialog(record);
  EXPECT_FALSE(answer.accepted);
  EXPECT_EQ(answer.error, 0x0001u);  // CDERR_STRUCTSIZE
}

DWORD WINAPI CreateAndReleaseShells(LPVOID result) {
  platform::win32::Win32ShellAutomation shell;
  bool created = true;
  for (int i = 0; i < 3; ++i) {
    auto first = shell.CreateShellApplication();
    auto second = shell.CreateShellApplication();
    created = created && first != nullptr && second != nullptr;
  }
  // With everything released, COM is no longer initialised on this thread.
  const HRESULT again = CoInitialize(nullptr);
  if (SUCCEEDED(again)) CoUninitialize();
  *static_cast<int*>(result) = !created ? 1 : again == S_OK ? 0 : 2;
  return 0;
}

TEST(Win32ShellTest, CreatesShellApplicationAndReleasesComWithIt) {
  int result = -1;
  const HANDLE thread = CreateThread(nullptr, 0, &CreateAndReleaseShells, &result, 0, nullptr);
  ASSERT_NE(thread, nullptr);
  WaitForSingleObject(thread, INFINITE);
  CloseHandle(thread);
  EXPECT_NE(result, 1) << "Shell.Application could not be created";
  EXPECT_NE(result, 2) << "COM stayed initialised after every object was released";
}

}  // namespace

std::unique_ptr<TestBackend> MakeTestBackend() { return std::make_unique<Win32TestBackend>(); }

}  // namespace merkwandel::testing
