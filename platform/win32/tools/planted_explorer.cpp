// merkwandel-planted-explorer: a harmless stand-in for a program that a
// downloaded folder might bring along under the name Explorer.exe. Tests
// copy it as Explorer.exe into the program's current directory; when it is
// ever started, it leaves the file "planted-explorer-started.txt" beside
// itself with its command line, and ends.
#include <windows.h>

#include <string>

int main() {
  wchar_t self[MAX_PATH];
  const DWORD length = GetModuleFileNameW(nullptr, self, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return 1;
  std::wstring marker(self, length);
  marker.erase(marker.find_last_of(L'\\') + 1);
  marker += L"planted-explorer-started.txt";
  const HANDLE file = CreateFileW(marker.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return 1;
  const LPCWSTR line = GetCommandLineW();
  DWORD written = 0;
  WriteFile(file, line, static_cast<DWORD>(lstrlenW(line) * sizeof(wchar_t)), &written, nullptr);
  CloseHandle(file);
  return 0;
}
