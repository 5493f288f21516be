// What the two floors (the Linux one and the one for the Windows program
// under Wine) share: reading the list of shortcuts and the CPU clock.
#pragma once

#include <time.h>

#include <cstdio>
#include <fstream>
#include <optional>
#include <vector>

#include "bench/bookmark_generator.h"

namespace merkwandel::bench {

// The process's CPU time in seconds.
inline double CpuSeconds() {
  timespec now{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
}

// The list named by the first of the two arguments LISTFILE TARGETFOLDER;
// nothing (with a message on stderr) when the arguments or the list are off.
inline std::optional<std::vector<ExpectedShortcut>> LoadFloorList(int argc, char** argv, const char* program) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: %s LISTFILE TARGETFOLDER\n", program);
    return std::nullopt;
  }
  std::ifstream in(argv[1], std::ios::binary);
  auto shortcuts = ReadManifest(in);
  if (!in.eof() || !shortcuts) {
    std::fprintf(stderr, "cannot read %s\n", argv[1]);
    return std::nullopt;
  }
  return shortcuts;
}

}  // namespace merkwandel::bench
