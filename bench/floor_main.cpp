// merkwandel-bench-floor LISTFILE TARGETFOLDER
//
// The floor a conversion is measured against: writes the same shortcut files
// as a conversion of the list's bookmark file (same names, same two lines)
// with nothing but open, write and close, from paths and contents prepared
// before the clock starts. Prints the seconds the writing took, on the
// clock and in CPU time: "wall=<s> cpu=<s>".
#include <fcntl.h>
#include <time.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "bench/bookmark_generator.h"
#include "bench/floor_common.h"

int main(int argc, char** argv) {
  const auto shortcuts = merkwandel::bench::LoadFloorList(argc, argv, "merkwandel-bench-floor");
  if (!shortcuts) return argc != 3 ? 2 : 1;
  struct File {
    std::string path;
    std::string content;
  };
  std::vector<File> files;
  files.reserve(shortcuts->size());
  const std::string folder = argv[2];
  for (const auto& shortcut : *shortcuts) {
    files.push_back({folder + "/" + shortcut.name + ".url", merkwandel::bench::ShortcutBytes(shortcut.url)});
  }

  const auto start = std::chrono::steady_clock::now();
  const double cpuStart = merkwandel::bench::CpuSeconds();
  for (const File& file : files) {
    const int fd = ::open(file.path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0 || ::write(fd, file.content.data(), file.content.size()) !=
                      static_cast<ssize_t>(file.content.size())) {
      std::perror(file.path.c_str());
      return 1;
    }
    ::close(fd);
  }
  const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
  std::printf("wall=%.6f cpu=%.6f\n", elapsed.count(), merkwandel::bench::CpuSeconds() - cpuStart);
  return 0;
}
