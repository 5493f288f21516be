// merkwandel-bench-wine-floor.exe LISTFILE TARGETFOLDER
//
// The floor for the Windows program under Wine: writes the same shortcut
// files as a conversion of the list's bookmark file (same names, same two
// lines) with nothing but the C runtime's _wfopen, fwrite and fclose, from
// paths and contents prepared before the clock starts. The C runtime is
// Windows' own (msvcrt), so each file costs one CreateFile, one WriteFile
// and one CloseHandle, as it does for the program. The names in the list are
// UTF-8; they are opened by their UTF-16 form, so they reach the disk as they
// are whatever the ANSI code page. TARGETFOLDER is a Windows path.
//
// Prints the seconds the writing took, on the clock and in CPU time:
// "wall=<s> cpu=<s>".
#include <time.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "bench/bookmark_generator.h"
#include "bench/floor_common.h"
#include "platform/common/unicode.h"

namespace {

// UTF-8 to UTF-16 as the program converts it; false for a malformed sequence.
bool Utf16(const std::string& utf8, std::wstring& out) {
  const std::u16string units = merkwandel::unicode::ToUtf16(utf8);
  if (merkwandel::unicode::FromUtf16(units) != utf8) return false;
  out.assign(units.begin(), units.end());
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  const auto shortcuts = merkwandel::bench::LoadFloorList(argc, argv, "merkwandel-bench-wine-floor");
  if (!shortcuts) return argc != 3 ? 2 : 1;
  struct File {
    std::wstring path;
    std::string content;
    const std::string* name;
  };
  std::vector<File> files;
  files.reserve(shortcuts->size());
  std::wstring folder;
  if (!Utf16(std::string(argv[2]) + "\\", folder)) {
    std::fprintf(stderr, "the target folder is not UTF-8: %s\n", argv[2]);
    return 1;
  }
  for (const auto& shortcut : *shortcuts) {
    std::wstring name;
    if (!Utf16(shortcut.name, name)) {
      std::fprintf(stderr, "a name in the list is not UTF-8: %s\n", shortcut.name.c_str());
      return 1;
    }
    files.push_back({folder + name + L".url", merkwandel::bench::ShortcutBytes(shortcut.url), &shortcut.name});
  }

  const auto start = std::chrono::steady_clock::now();
  const double cpuStart = merkwandel::bench::CpuSeconds();
  for (const File& file : files) {
    std::FILE* out = _wfopen(file.path.c_str(), L"wb");
    if (out == nullptr) {
      std::fprintf(stderr, "cannot create %s.url\n", file.name->c_str());
      return 1;
    }
    const bool written = std::fwrite(file.content.data(), 1, file.content.size(), out) == file.content.size();
    if (std::fclose(out) != 0 || !written) {
      std::fprintf(stderr, "cannot write %s.url\n", file.name->c_str());
      return 1;
    }
  }
  const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
  std::printf("wall=%.6f cpu=%.6f\n", elapsed.count(), merkwandel::bench::CpuSeconds() - cpuStart);
  return 0;
}
