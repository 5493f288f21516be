// A run started from the main window: the window locked while it lasts,
// clicks during it doing nothing, and closing the window at any event pump
// of it ending the run quietly.
#include "app/main_window.h"

#include <dirent.h>

#include "tests/conversion_fixture.h"
#include "tests/places_fixture.h"

namespace merkwandel::testing {
namespace {

using app::Field;

class MainWindowTest : public HostFixture {
 protected:
  MainWindowTest() { WriteEachKind(temp_.path(), 3, 3); }
  // "locked": the five input controls disabled and the hourglass shown;
  // "idle": all enabled and the default pointer. Once the target folder is
  // listed, the seconds since the run began at noon.
  std::string State(app::Root& root) {
    int enabled = 0;
    for (app::Control control : app::kInputControls) enabled += root.Enabled(control);
    const std::string state = enabled == 0 && ui_.pointer == platform::MousePointer::kHourglass ? "locked"
                              : enabled == 5 && ui_.pointer == platform::MousePointer::kDefault ? "idle"
                                                                                                : "mixed";
    if (root.DirFiles.Path().empty()) return state;
    return state + ", listed after " + std::to_string(ui_.VirtualTime() - 12 * 3600.0) + " s";
  }
  // A window whose fields name `source` and the folder "Favoriten", with a
  // click on "Starten" waiting for it.
  static void StartRun(app::MainWindow& window, platform::host::HostForms& forms, const std::string& source) {
    window.SetText(Field::tHypertext, "C:\\" + source);
    window.SetText(Field::tFavoriten, "C:\\Favoriten");
    forms.Click("bStarten");
  }
};

TEST_F(MainWindowTest, ARunLocksTheWindowAndIgnoresClicksUntilItEnds) {
  app::MainWindow window(platform_);
  auto& forms = platform_.HostWindow();
  StartRun(window, forms, "bookmarks.html");
  // Handled at the run's first pump.
  forms.Click("bStarten");
  forms.Click("bHypertext");
  forms.Click("bFavoriten");
  std::vector<std::string> atPumps;
  ui_.onPump = [&] {
    atPumps.push_back(State(window));
    return true;
  };
  ASSERT_TRUE(window.Run());

  EXPECT_EQ(forms.delivered, (std::vector<std::string>{"load", "click bStarten"}));
  // Locked while reading; the folder listed one second after reading, still
  // locked; idle after unlocking and after Explorer's start.
  ASSERT_GT(atPumps.size(), 5u);
  std::vector<std::string> expected(atPumps.size() - 3, "locked");
  expected.insert(expected.end(), {"locked, listed after 1.000000 s", "idle, listed after 1.000000 s",
                                   "idle, listed after 1.000000 s"});
  EXPECT_EQ(atPumps, expected);
  EXPECT_EQ(HostNames(Host("Favoriten")), (std::vector<std::string>{"L0.url", "L1.url", "L2.url"}));
}

int OpenDescriptors() {
  int count = 0;
  if (DIR* dir = ::opendir("/proc/self/fd")) {
    while (::readdir(dir) != nullptr) ++count;
    ::closedir(dir);
  }
  return count;
}

// Closing at any pump: the run pumps no more, shows nothing further and
// starts no Explorer, the window goes once the handler has returned, and
// no file stays open, nothing in the temporary folder.
TEST_F(MainWindowTest, ClosingAtAnyPumpOfARunEndsItQuietly) {
  const TemporaryFilesIn temporary(Host("Temp"));
  for (const char* source : {"bookmarks.html", "places.sqlite", "Bookmarks"}) {
    std::size_t allPumps = 0, reportedAt = 0;
    for (std::size_t closeAt = 0; closeAt <= allPumps; ++closeAt) {  // 0: a run to the end, for its pumps
      SCOPED_TRACE(std::string(source) + " closed at pump " + std::to_string(closeAt));
      platform::host::HostPlatform platform;
      platform.HostFiles().MapDrive('C', temp_.path());
      auto& ui = platform.HostUi();
      ui.UseVirtualClock(12 * 3600.0);
      auto& forms = platform.HostWindow();
      app::MainWindow window(platform);
      StartRun(window, forms, source);
      ui.onPump = [&] {
        if (ui.pumps == closeAt) forms.Close();  // the next pump handles it
        return true;
      };
      ui.onMessage = [&](const auto&) { if (closeAt == 0) reportedAt = ui.pumps; };
      const int descriptors = OpenDescriptors();
      ASSERT_TRUE(window.Run());

      EXPECT_FALSE(forms.Exists());
      EXPECT_EQ(forms.PendingActions(), 0u);
      EXPECT_EQ(OpenDescriptors(), descriptors);
      EXPECT_TRUE(HostNames(Host("Temp")).empty());
      EXPECT_EQ(ui.pointer, platform::MousePointer::kDefault);
      if (closeAt == 0) {
        allPumps = ui.pumps;
        ASSERT_GT(allPumps, 3u);
        ASSERT_EQ(ui.messages.size(), 1u);
        continue;
      }
      EXPECT_LE(ui.pumps, closeAt + 1);
      // Closed before the report: nothing is shown and Explorer doesn't start.
      EXPECT_EQ(ui.messages.size(), closeAt < reportedAt ? 0u : 1u);
      EXPECT_EQ(ui.startedProcesses.size(), closeAt < reportedAt ? 0u : 1u);
    }
  }
}

}  // namespace
}  // namespace merkwandel::testing
