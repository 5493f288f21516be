// merkwandel-hold: holds a file open without sharing, as a program does that
// has it open for writing, so that no other process can open, replace or
// delete it. For end-to-end tests under Wine.
//
//   merkwandel-hold FILE [SECONDS]
//
// Opens the existing FILE for reading and writing with share mode 0, prints
// "held" and waits until it is killed, or for SECONDS (default 600) as a
// guard against a test that forgets it. Exit code 0 after the wait, 1 when
// the file can't be opened (the Windows error is printed), 2 on misuse.
#include <windows.h>

#include <cstdio>
#include <cstdlib>

#include "platform/win32/handles.h"

int main(int argc, char** argv) {
  if (argc < 2 || argc > 3) {
    std::fprintf(stderr, "usage: merkwandel-hold FILE [SECONDS]\n");
    return 2;
  }
  const double seconds = argc == 3 ? std::atof(argv[2]) : 600.0;
  const merkwandel::platform::win32::KernelHandle file(
      CreateFileA(argv[1], GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                  nullptr));
  if (!file) {
    std::printf("error\t%lu\n", GetLastError());
    return 1;
  }
  std::printf("held\n");
  std::fflush(stdout);
  Sleep(seconds > 0 ? static_cast<DWORD>(seconds * 1000.0) : 0);
  return 0;
}
