// merkwandel-bench-measure OUTPUTFILE PROGRAM [ARGUMENT...]
//
// Runs a program with its standard output going to OUTPUTFILE and prints
// one line about the run: "wall=<s> user=<s> sys=<s> maxrss_kb=<KiB>"
// (microsecond resolution, from wait4), and exits with the program's code.
// The CPU seconds are what a run costs; they hardly change when other
// programs compete for the processors, as the wall seconds do.
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>

namespace {

double Seconds(const timeval& t) { return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) / 1e6; }

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: merkwandel-bench-measure OUTPUTFILE PROGRAM [ARGUMENT...]\n");
    return 2;
  }
  const int output = ::open(argv[1], O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  if (output < 0) {
    std::perror(argv[1]);
    return 2;
  }
  const auto start = std::chrono::steady_clock::now();
  const pid_t child = ::fork();
  if (child < 0) {
    std::perror("fork");
    return 2;
  }
  if (child == 0) {
    ::dup2(output, STDOUT_FILENO);
    ::execvp(argv[2], argv + 2);
    std::perror(argv[2]);
    ::_exit(127);
  }
  ::close(output);
  int status = 0;
  rusage usage{};
  while (::wait4(child, &status, 0, &usage) < 0) {
  }
  const std::chrono::duration<double> wall = std::chrono::steady_clock::now() - start;
  std::printf("wall=%.6f user=%.6f sys=%.6f maxrss_kb=%ld\n", wall.count(), Seconds(usage.ru_utime),
              Seconds(usage.ru_stime), usage.ru_maxrss);
  return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}
