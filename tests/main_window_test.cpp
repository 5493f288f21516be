// The main window on the host backend's in-memory window: its design, the
// four events, the keyboard, a run started from the window, and closing the
// window while a run lasts.
#include "app/main_window.h"

#include <filesystem>
#include <memory>

#include "app/root_design.h"
#include "conversion/conversion_run.h"
#include "tests/conversion_fixture.h"

namespace merkwandel::testing {
namespace {

using app::Field;
using app::IndexOf;
using app::RootControl;
using platform::host::Key;

constexpr char kSource[] = "C:\\Lesezeichen\\bookmarks.html";
constexpr char kTarget[] = "C:\\Favoriten";

class MainWindowTest : public HostFixture {
 protected:
  MainWindowTest() {
    MakeHostFolder(Host("Lesezeichen"));
    WriteHostFile(Host("Lesezeichen/bookmarks.html"),
                  ExportFile({BookmarkLine("http://a.example/", "Erster"),
                              BookmarkLine("http://b.example/", "Zweiter")}));
  }

  // Puts both paths into the fields as a user does: Alt+L, Tab, type, two
  // Tabs, type. The focus ends on tFavoriten.
  void TypePaths() {
    window_.PressAlt('L');
    window_.Press(Key::kTab);
    window_.Type(kSource);
    window_.Press(Key::kTab);
    window_.Press(Key::kTab);
    window_.Type(kTarget);
  }

  std::vector<std::string> Messages() const {
    std::vector<std::string> texts;
    for (const auto& message : ui_.messages) texts.push_back(message.title + "|" + message.text);
    return texts;
  }

  platform::host::HostForms& window_ = platform_.HostWindow();
  app::MainWindow root_{platform_};
};

TEST_F(MainWindowTest, OpensWithTheDesignAndWithoutTheHiddenControls) {
  EXPECT_EQ(root_.Text(Field::tHypertext), app::kDesignHypertext);
  EXPECT_EQ(root_.Text(Field::tFavoriten), app::kDesignFavoriten);
  for (auto control : app::kInputControls) EXPECT_TRUE(root_.Enabled(control));
  EXPECT_NE(root_.WindowHandle(), 0u);

  // Every visible control at twips / 15 at 96 dots per inch.
  struct Expected {
    const char* name;
    forms::PixelRect rect;
  };
  const std::vector<Expected> expected = {
      {"Label1", {94, 24, 161, 14}},     {"bHypertext", {405, 42, 37, 21}},
      {"tHypertext", {93, 42, 304, 21}}, {"Label2", {94, 75, 207, 14}},
      {"bFavoriten", {405, 93, 37, 21}}, {"tFavoriten", {93, 93, 304, 21}},
      {"bStarten", {366, 147, 79, 28}},  {"Picture1", {12, 189, 436, 97}},
      {"Label3", {12, 9, 407, 80}},      {"Image1", {18, 21, 48, 48}}};
  const auto shown = window_.ShownControls();
  ASSERT_EQ(shown.size(), expected.size());
  for (std::size_t i = 0; i < shown.size(); ++i) {
    EXPECT_EQ(shown[i].name, expected[i].name);
    EXPECT_EQ(shown[i].rect, expected[i].rect) << shown[i].name;
  }
  EXPECT_EQ(window_.ClientRect(), (forms::PixelRect{0, 0, 461, 299}));

  // tTemp, DirLocal and DirFiles are no windows: the window knows no text of
  // theirs, while the state's objects work.
  EXPECT_EQ(window_.Text(IndexOf(RootControl::tTemp)), "");
  window_.SetText(IndexOf(RootControl::tTemp), "x");
  EXPECT_EQ(window_.Text(IndexOf(RootControl::tTemp)), "");
  root_.tTemp.Assign("Puffer");
  EXPECT_EQ(root_.tTemp.Text(), "Puffer");
}

TEST_F(MainWindowTest, TheDescriptionIsTheWholeText) {
  const std::string description = window_.Text(IndexOf(RootControl::Label3));
  EXPECT_EQ(description.size(), 329u);  // 323 characters, six of them two bytes long
  EXPECT_EQ(description.back(), ' ');
  EXPECT_EQ(description.substr(0, 16), "Möglicherweise ");
  EXPECT_NE(description.find("ausschließlich importieren."), std::string::npos);
}

TEST_F(MainWindowTest, LoadsBeforeShowingAndEndsWhenTheUserStops) {
  EXPECT_FALSE(window_.WasShown());
  EXPECT_TRUE(root_.Run());
  EXPECT_EQ(window_.delivered, std::vector<std::string>{"load"});
  EXPECT_TRUE(window_.WasShown());
  EXPECT_FALSE(window_.Exists());
  EXPECT_EQ(root_.WindowHandle(), 0u);
  EXPECT_TRUE(ui_.messages.empty());
}

struct KeyboardCase {
  const char* name;
  std::vector<std::string> keys;  // "tab", "shift+tab", "enter", "esc", "alt+X", "click NAME"
  const char* focus;              // where the focus is afterwards
  std::vector<std::string> delivered;
};

class KeyboardTest : public MainWindowTest, public ::testing::WithParamInterface<KeyboardCase> {};

TEST_P(KeyboardTest, MovesTheFocusAndClicksAsWindowsDoes) {
  const auto& c = GetParam();
  for (const auto& key : c.keys) {
    if (key == "tab") window_.Press(Key::kTab);
    else if (key == "shift+tab") window_.Press(Key::kShiftTab);
    else if (key == "enter") window_.Press(Key::kEnter);
    else if (key == "esc") window_.Press(Key::kEscape);
    else if (key.rfind("alt+", 0) == 0) window_.PressAlt(key[4]);
    else if (key.rfind("click ", 0) == 0) window_.Click(key.substr(6));
  }
  std::string focus;
  window_.Look([&] { focus = window_.Focus().value_or("<none>"); });
  ASSERT_TRUE(root_.Run());
  std::vector<std::string> expected = {"load"};
  expected.insert(expected.end(), c.delivered.begin(), c.delivered.end());
  EXPECT_EQ(window_.delivered, expected);
  EXPECT_EQ(focus, c.focus);
  EXPECT_TRUE(ui_.messages.empty());  // the "..." handlers show nothing yet
}

INSTANTIATE_TEST_SUITE_P(
    Keys, KeyboardTest,
    ::testing::Values(
        KeyboardCase{"EnterOnTheFirstButtonClicksIt", {"enter"}, "bHypertext", {"click bHypertext"}},
        KeyboardCase{"EscDoesNothing", {"esc", "tab", "esc"}, "tHypertext", {}},
        KeyboardCase{"AltFMovesWithoutClicking", {"alt+f"}, "bFavoriten", {}},
        KeyboardCase{"AltFThenEnterClicksThatButton", {"alt+f", "enter"}, "bFavoriten",
                     {"click bFavoriten"}},
        KeyboardCase{"ShiftTabGoesRoundToStarten", {"shift+tab"}, "bStarten", {}},
        KeyboardCase{"ClickingADisabledPictureDoesNothing", {"click Picture1", "click Label1"},
                     "bHypertext", {}},
        KeyboardCase{"ClickingTheDotsButtons", {"click bFavoriten", "click bHypertext"}, "bHypertext",
                     {"click bFavoriten", "click bHypertext"}}),
    [](const auto& param) { return std::string(param.param.name); });

TEST_F(MainWindowTest, EnterInAFieldRunsTheConversionThroughTheWindow) {
  TypePaths();
  bool lockedDuringRun = false;
  ui_.onPump = [&] {
    if (ui_.pumps == 1) {
      lockedDuringRun = true;
      for (auto control : app::kInputControls) lockedDuringRun &= !root_.Enabled(control);
    }
    return true;
  };
  window_.Press(Key::kEnter);
  window_.WaitUntilIdle();
  std::string focusAfter;
  window_.Look([&] { focusAfter = window_.Focus().value_or("<none>"); });
  ASSERT_TRUE(root_.Run());

  EXPECT_EQ(window_.delivered, (std::vector<std::string>{"load", "click bStarten"}));
  EXPECT_TRUE(lockedDuringRun);
  EXPECT_EQ(HostNames(Host("Favoriten")), (std::vector<std::string>{"Erster.url", "Zweiter.url"}));
  EXPECT_EQ(Messages(), std::vector<std::string>{
                            " Merkwandel|Es wurden 2 Favoriten aus der Firefox Lesezeichendatei exportiert.    "});
  ASSERT_EQ(ui_.startedProcesses.size(), 1u);
  // The field keeps the "\" the run appended, the controls are enabled
  // again and the field that had the focus has it back.
  EXPECT_EQ(focusAfter, "tFavoriten");
}

TEST_F(MainWindowTest, EnterAndClicksDuringARunDoNothing) {
  TypePaths();
  window_.Press(Key::kEnter);
  window_.Press(Key::kEnter);  // handled at the run's first pump
  window_.Click("bStarten");
  window_.Click("bHypertext");
  window_.Type("C:\\anderswo");
  std::string during;
  window_.Look([&] { during = root_.Text(Field::tFavoriten); });
  ASSERT_TRUE(root_.Run());
  EXPECT_EQ(window_.delivered, (std::vector<std::string>{"load", "click bStarten"}));
  EXPECT_EQ(during, kTarget);
  EXPECT_EQ(ui_.messages.size(), 1u);
}

TEST_F(MainWindowTest, ANewRunAfterTheFirstOneWorks) {
  TypePaths();
  window_.Press(Key::kEnter);
  window_.WaitUntilIdle();
  window_.Click("bStarten");
  ASSERT_TRUE(root_.Run());
  EXPECT_EQ(window_.delivered,
            (std::vector<std::string>{"load", "click bStarten", "click bStarten"}));
  EXPECT_EQ(ui_.messages.size(), 2u);
  EXPECT_EQ(ui_.startedProcesses.size(), 2u);
}

// Closing the window at any event pump of a run: the run stops there, shows
// nothing further, starts no Explorer, the window goes once the handler has
// returned and Run returns.
TEST_F(MainWindowTest, ClosingAtAnyPumpOfARunEndsItQuietly) {
  // A run to the end, for the number of its pumps and when it reported.
  std::size_t reportedAtPump = 0;
  ui_.onMessage = [&](const platform::host::ShownMessage&) { reportedAtPump = ui_.pumps; };
  TypePaths();
  window_.Press(Key::kEnter);
  ASSERT_TRUE(root_.Run());
  ASSERT_EQ(ui_.messages.size(), 1u);
  const std::size_t allPumps = ui_.pumps;
  ASSERT_GT(allPumps, 5u);

  for (std::size_t closeAt = 1; closeAt <= allPumps; ++closeAt) {
    SCOPED_TRACE("closed at pump " + std::to_string(closeAt));
    platform::host::HostPlatform platform;
    platform.HostFiles().MapDrive('C', temp_.path());
    platform.HostUi().UseVirtualClock(12 * 3600.0);
    std::filesystem::remove_all(Host("Favoriten"));
    auto& ui = platform.HostUi();
    auto& window = platform.HostWindow();
    app::MainWindow root(platform);
    bool touchedAfterClosing = false;
    ui.onPump = [&] {
      // The user closes the window now; the next pump handles it.
      if (ui.pumps == closeAt) window.Close();
      if (ui.pumps > closeAt + 1) touchedAfterClosing = true;
      return true;
    };
    window.PressAlt('L');
    window.Press(Key::kTab);
    window.Type(kSource);
    window.Press(Key::kTab);
    window.Press(Key::kTab);
    window.Type(kTarget);
    window.Press(Key::kEnter);
    ASSERT_TRUE(root.Run());

    EXPECT_FALSE(window.Exists());
    EXPECT_FALSE(touchedAfterClosing);
    EXPECT_EQ(window.PendingActions(), 0u);
    // Closed before the report: nothing is shown and Explorer doesn't start.
    const bool beforeReport = closeAt + 1 <= reportedAtPump;
    EXPECT_EQ(ui.messages.empty(), beforeReport);
    if (closeAt + 1 <= allPumps) {
      EXPECT_EQ(ui.startedProcesses.empty(), beforeReport);
    }
    EXPECT_EQ(ui.pointer, platform::MousePointer::kDefault);
  }
}

TEST(HostFormsDpiTest, ConvertsAtTheScreensDotsPerInch) {
  struct NoEvents : platform::FormEvents {
    void Load() override {}
    void Click(std::size_t) override {}
  } events;
  platform::host::HostForms window(144);
  ASSERT_TRUE(window.Create(app::RootDesign(), events));
  EXPECT_FALSE(window.Create(app::RootDesign(), events));
  EXPECT_EQ(window.ClientRect(), (forms::PixelRect{0, 0, 692, 449}));
  const auto shown = window.ShownControls();
  ASSERT_FALSE(shown.empty());
  EXPECT_EQ(shown[1].name, "bHypertext");
  EXPECT_EQ(shown[1].rect, (forms::PixelRect{608, 63, 55, 32}));
}

}  // namespace
}  // namespace merkwandel::testing
