// merkwandel-hold: holds a file open as another program does, so that
// tests can see what the program does with a file in use. For tests under
// Wine.
//
//   merkwandel-hold [--share] FILE [SECONDS]
//
// Opens the existing FILE for reading and writing, without sharing (as a
// program that keeps others out: nobody can open, replace or delete it) or,
// with --share, letting others read and write it too (as a database that
// another program keeps open while it runs). Prints "held" and waits until
// it is killed, or for SECONDS (default 600) as a guard against a test that
// forgets it. Exit code 0 after the wait, 1 when the file can't be opened
// (the Windows error is printed), 2 on misuse. FILE may be in any script.
#include <windows.h>
#include <shellapi.h>

#include <cstdio>
#include <cwchar>

#include "platform/win32/handles.h"

int main() {
  int count = 0;
  LPWSTR* const argv = CommandLineToArgvW(GetCommandLineW(), &count);
  if (argv == nullptr) return 2;
  const bool share = count >= 2 && std::wcscmp(argv[1], L"--share") == 0;
  const int file = share ? 2 : 1;
  if (count < file + 1 || count > file + 2) {
    std::fprintf(stderr, "usage: merkwandel-hold [--share] FILE [SECONDS]\n");
    return 2;
  }
  const double seconds = count == file + 2 ? std::wcstod(argv[file + 1], nullptr) : 600.0;
  const merkwandel::platform::win32::KernelHandle held(
      CreateFileW(argv[file], GENERIC_READ | GENERIC_WRITE, share ? FILE_SHARE_READ | FILE_SHARE_WRITE : 0,
                  nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  LocalFree(argv);
  if (!held) {
    std::printf("error\t%lu\n", GetLastError());
    return 1;
  }
  std::printf("held\n");
  std::fflush(stdout);
  Sleep(seconds > 0 ? static_cast<DWORD>(seconds * 1000.0) : 0);
  return 0;
}
