// The window state: design texts, Sleep and the two folder lists.
#include "app/root.h"

#include "tests/host_fixture.h"

namespace merkwandel::testing {
namespace {

using app::Field;

class RootTest : public HostFixture {
 protected:
  app::Root root_{platform_};
};

TEST_F(RootTest, StartsWithTheDesignTexts) {
  EXPECT_EQ(root_.Caption(), "Merkwandel");
  EXPECT_EQ(root_.Text(Field::tHypertext),
            "E:\\Eigene Dateien\\Vollständige Lesezeichen (Mozilla Firefox) 6.html");
  EXPECT_EQ(root_.Text(Field::tFavoriten), "D:\\Eigene Dateien\\Arbeitsoberfläche\\Favoriten");
  EXPECT_TRUE(root_.tTemp.Text().empty());
}

struct SleepCase {
  const char* name;
  double start;
  double seconds;
  double end;  // virtual time when Sleep returned
  bool pumps;
};

class SleepTest : public RootTest, public ::testing::WithParamInterface<SleepCase> {};

TEST_P(SleepTest, WaitsTheTimeWhilePumping) {
  const auto& c = GetParam();
  ui_.UseVirtualClock(c.start);
  EXPECT_TRUE(root_.Sleep(c.seconds));
  EXPECT_NEAR(ui_.VirtualTime(), c.end, 1e-9);
  EXPECT_EQ(ui_.pumps > 0, c.pumps);
}

INSTANTIATE_TEST_SUITE_P(
    Waits, SleepTest,
    ::testing::Values(SleepCase{"OneSecond", 100.0, 1.0, 101.0, true},
                      SleepCase{"OverMidnight", 86399.5, 1.0, 0.5, true},
                      SleepCase{"Zero", 100.0, 0.0, 100.0, false},
                      SleepCase{"Negative", 100.0, -3.0, 100.0, false}),
    [](const auto& param) { return std::string(param.param.name); });

TEST_F(RootTest, SleepPumpsUntilTheTimeHasPassedAndStopsWhenClosing) {
  ui_.UseVirtualClock(50.0, 0.01);  // each reading of the clock takes 10 ms
  EXPECT_TRUE(root_.Sleep(1.0));
  EXPECT_GE(ui_.VirtualTime(), 51.0);
  ui_.onPump = [] { return false; };
  const double before = ui_.VirtualTime();
  EXPECT_FALSE(root_.Sleep(1.0));
  EXPECT_LT(ui_.VirtualTime() - before, 0.1);
}

TEST_F(RootTest, DirLocalListsSubfoldersSortedWithoutRegardToCase) {
  for (const char* name : {"b.default", "A.dev", "c.default-release", ".versteckt"}) {
    MakeHostFolder(Host(std::string("Profiles/") + name));
  }
  WriteHostFile(Host("Profiles/profiles.ini"), "");
  ASSERT_TRUE(root_.DirLocal.SetPath("C:\\Profiles\\"));
  ASSERT_EQ(root_.DirLocal.ListCount(), 4);
  EXPECT_EQ(root_.DirLocal.List(0), "C:\\Profiles\\.versteckt");
  EXPECT_EQ(root_.DirLocal.List(1), "C:\\Profiles\\A.dev");
  EXPECT_EQ(root_.DirLocal.List(3), "C:\\Profiles\\c.default-release");
  EXPECT_EQ(root_.DirLocal.List(-1), "C:\\Profiles");
  EXPECT_EQ(root_.DirLocal.List(4), "");

  MakeHostFolder(Host("Leer"));
  ASSERT_TRUE(root_.DirLocal.SetPath("C:\\Leer"));
  EXPECT_EQ(root_.DirLocal.ListCount(), 0);
  EXPECT_EQ(root_.DirLocal.List(-1), "C:\\Leer");
  ASSERT_TRUE(root_.DirLocal.SetPath("C:\\"));
  EXPECT_EQ(root_.DirLocal.List(-1), "C:\\");
  EXPECT_FALSE(root_.DirLocal.SetPath("C:\\fehlt\\"));
  EXPECT_EQ(root_.DirLocal.ListCount(), 0);
}

TEST_F(RootTest, DirFilesCountsEveryFileButNoFolder) {
  MakeHostFolder(Host("Ziel/Unterordner"));
  ASSERT_TRUE(root_.DirFiles.SetPath("C:\\Ziel"));
  EXPECT_EQ(root_.DirFiles.ListCount(), 0u);
  WriteHostFile(Host("Ziel/.versteckt"), "");
  WriteHostFile(Host("Ziel/a.url"), "");
  EXPECT_EQ(root_.DirFiles.ListCount(), 0u);  // until refreshed
  ASSERT_TRUE(root_.DirFiles.Refresh());
  EXPECT_EQ(root_.DirFiles.ListCount(), 2u);
  ASSERT_TRUE(root_.DirFiles.SetPath("C:\\Ziel\\"));
  EXPECT_EQ(root_.DirFiles.ListCount(), 2u);
  EXPECT_FALSE(root_.DirFiles.SetPath("C:\\fehlt"));
  EXPECT_EQ(root_.DirFiles.ListCount(), 0u);
}

}  // namespace
}  // namespace merkwandel::testing
