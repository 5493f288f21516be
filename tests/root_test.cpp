// Sleep, the window's busy wait: it pumps until the time has passed, over
// midnight too, and ends at once when the window is closing.
#include "app/root.h"

#include "tests/host_fixture.h"

namespace merkwandel::testing {
namespace {

struct SleepCase {
  const char* name;
  double start;
  double seconds;
  bool closing;  // every pump reports the window closing
  double end;    // virtual time when Sleep returned
  bool pumps;
  friend void PrintTo(const SleepCase& c, std::ostream* os) { *os << c.name; }
};

class SleepTest : public HostFixture, public ::testing::WithParamInterface<SleepCase> {};

TEST_P(SleepTest, WaitsTheTimeWhilePumping) {
  const auto& c = GetParam();
  app::Root root(platform_);
  ui_.UseVirtualClock(c.start);
  // A wait that would never end shows as a window closed at the 100th pump.
  ui_.onPump = [&] { return !c.closing && ui_.pumps < 100; };
  EXPECT_EQ(root.Sleep(c.seconds), !c.closing);
  EXPECT_NEAR(ui_.VirtualTime(), c.end, 1e-9);
  EXPECT_EQ(ui_.pumps > 0, c.pumps);
}

INSTANTIATE_TEST_SUITE_P(
    Waits, SleepTest,
    ::testing::Values(SleepCase{"OneSecond", 100.0, 1.0, false, 101.0, true},
                      // The clock's restart costs one more wait, of nothing: one microsecond.
                      SleepCase{"OverMidnight", 86399.5, 1.0, false, 0.500001, true},
                      SleepCase{"Zero", 100.0, 0.0, false, 100.0, false},
                      SleepCase{"Negative", 100.0, -3.0, false, 100.0, false},
                      SleepCase{"WindowClosing", 100.0, 1.0, true, 100.0, true}),
    [](const auto& param) { return std::string(param.param.name); });

}  // namespace
}  // namespace merkwandel::testing
