// A time limit on every test of this program: a test that takes longer than
// this has hung, and the program ends at once, naming it, rather than when
// ctest's limit on the whole program runs out.
#include <gtest/gtest.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <cstring>

namespace {

constexpr unsigned kSecondsPerTest = 30;
char running[512];  // "Suite.Test\n" of the test that runs

void TimeUp(int) {
  constexpr char kText[] = "\nTIME LIMIT: this test took longer than 30 seconds: ";
  (void)!::write(2, kText, sizeof kText - 1);
  (void)!::write(2, running, std::strlen(running));
  ::_exit(1);
}

class TimeLimit : public ::testing::EmptyTestEventListener {
  void OnTestStart(const ::testing::TestInfo& test) override {
    std::snprintf(running, sizeof running, "%s.%s\n", test.test_suite_name(), test.name());
    std::signal(SIGALRM, TimeUp);
    ::alarm(kSecondsPerTest);
  }
  void OnTestEnd(const ::testing::TestInfo&) override { ::alarm(0); }
};

[[maybe_unused]] const bool registered =
    (::testing::UnitTest::GetInstance()->listeners().Append(new TimeLimit), true);

}  // namespace
