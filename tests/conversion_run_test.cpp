// The run around the reading: checks, messages, the locked window, the
// count, Explorer, faults and closing the window.
#include <sys/stat.h>

#include "conversion/conversion_run.h"
#include "tests/conversion_fixture.h"
#include "tests/places_fixture.h"

namespace merkwandel::testing {
namespace {

using app::Control;
using app::Field;
using platform::MessageIcon;
using platform::MousePointer;

constexpr char kTitle[] = " Merkwandel";
constexpr char kNotFound[] =
    "Entweder konnte der Zielordner oder die Datei mit Lesezeichen nicht gefunden werden.    ";

using Started = std::vector<platform::host::StartedProcess>;

class ConversionRunTest : public ConversionFixture {
 protected:
  bool AllEnabled() const {
    for (Control control : app::kInputControls) {
      if (!root_.Enabled(control)) return false;
    }
    return true;
  }
  bool NoneEnabled() const {
    for (Control control : app::kInputControls) {
      if (root_.Enabled(control)) return false;
    }
    return true;
  }
  void ExpectIdle() const {
    EXPECT_TRUE(AllEnabled());
    EXPECT_EQ(ui_.pointer, MousePointer::kDefault);
  }
  // The messages shown, as "icon:text".
  std::vector<std::string> Shown() const {
    std::vector<std::string> shown;
    for (const auto& m : ui_.messages) {
      EXPECT_EQ(m.title, kTitle);
      shown.push_back(std::to_string(static_cast<int>(m.icon)) + ":" + m.text);
    }
    return shown;
  }
  static std::string Msg(MessageIcon icon, const std::string& text) {
    return std::to_string(static_cast<int>(icon)) + ":" + text;
  }
};

struct MissingCase {
  const char* name;
  const char* source;
  const char* target;
  bool warning;           // the folder could not be created
  const char* created;    // host folder the run created, or nullptr
};

class MissingPathTest : public ConversionRunTest, public ::testing::WithParamInterface<MissingCase> {};

TEST_P(MissingPathTest, ShowsTheMessagesAndStaysIdle) {
  const auto& c = GetParam();
  WriteHostFile(Host("Lesezeichen/bookmarks.html"), ExportFile({BookmarkLine("http://a/", "A")}));
  root_.SetText(Field::tHypertext, c.source);
  root_.SetText(Field::tFavoriten, c.target);
  conversion::RunConversion(root_);

  std::vector<std::string> expected;
  if (c.warning) {
    expected.push_back(Msg(MessageIcon::kWarning,
                           "Der Zielordner für den Import der Favoriten konnte nicht erstellt werden.    "));
  }
  expected.push_back(Msg(MessageIcon::kError, kNotFound));
  EXPECT_EQ(Shown(), expected);
  EXPECT_TRUE(ui_.pointerChanges.empty());
  EXPECT_TRUE(AllEnabled());
  EXPECT_TRUE(ui_.startedProcesses.empty());
  EXPECT_TRUE(TargetFiles().empty());
  if (c.created != nullptr) {
    EXPECT_TRUE(HostExists(Host(c.created)));
  }
}

INSTANTIATE_TEST_SUITE_P(
    Paths, MissingPathTest,
    ::testing::Values(
        MissingCase{"SourceMissing", "C:\\Lesezeichen\\fehlt.html", "C:\\Favoriten", false, nullptr},
        // The folder is created even though the bookmark file is missing.
        MissingCase{"SourceMissingFolderCreated", "C:\\fehlt.html", "C:\\Neu\\Tief\\Import", false, "Neu/Tief/Import"},
        MissingCase{"FolderOnMissingDrive", "C:\\Lesezeichen\\bookmarks.html", "Q:\\Favoriten", true, nullptr},
        MissingCase{"FolderWithForbiddenName", "C:\\Lesezeichen\\bookmarks.html", "C:\\Fav|oriten", true, nullptr},
        MissingCase{"SourceEmpty", "", "C:\\Favoriten", false, nullptr},
        MissingCase{"SourceIsFolderWithBackslash", "C:\\Lesezeichen\\", "C:\\Favoriten", false, nullptr}),
    [](const auto& param) { return std::string(param.param.name); });

TEST_F(ConversionRunTest, ReportsEveryFileOfTheFolderThenStartsExplorer) {
  WriteHostFile(Host("Favoriten/.versteckt"), "");
  WriteHostFile(Host("Favoriten/alt.url"), "");
  MakeHostFolder(Host("Favoriten/Unterordner"));
  std::vector<std::string> order;
  ui_.onMessage = [&](const auto&) { order.push_back("message"); };
  ui_.onProcessStart = [&](const auto&) { order.push_back("explorer"); };

  Convert(ExportFile({BookmarkLine("http://a/", "A"), BookmarkLine("http://b/", "B")}));
  EXPECT_EQ(Shown(), std::vector<std::string>{Msg(MessageIcon::kInformation,
                                                  "Es wurden 4 Favoriten aus der Firefox Lesezeichendatei exportiert.    ")});
  // The Windows folder's Explorer by its full path, never one found in the
  // current directory; the folder unquoted on its command line.
  EXPECT_EQ(ui_.startedProcesses, (Started{{"C:\\Windows\\explorer.exe", "Explorer.exe C:\\Favoriten\\"}}));
  EXPECT_EQ(order, (std::vector<std::string>{"message", "explorer"}));
  EXPECT_EQ(root_.Text(Field::tFavoriten), "C:\\Favoriten\\");
  ExpectIdle();
}

TEST_F(ConversionRunTest, CreatesAMissingFolderAndWritesIntoIt) {
  root_.SetText(Field::tFavoriten, "C:\\Favoriten\\Importierte Dateien\\");
  Convert(ExportFile({BookmarkLine("http://a/", "A")}));
  EXPECT_EQ(HostNames(Host("Favoriten/Importierte Dateien")), std::vector<std::string>{"A.url"});
  EXPECT_EQ(ui_.messages.size(), 1u);
  EXPECT_EQ(ui_.startedProcesses,
            (Started{{"C:\\Windows\\explorer.exe", "Explorer.exe C:\\Favoriten\\Importierte Dateien\\"}}));
}

TEST_F(ConversionRunTest, WithoutTheWindowsFolderNoExplorerIsStarted) {
  ui_.windowsFolder = "";
  Convert(ExportFile({BookmarkLine("http://a/", "A")}));
  EXPECT_EQ(ui_.messages.size(), 1u);
  EXPECT_TRUE(ui_.startedProcesses.empty());
  ExpectIdle();
}

TEST_F(ConversionRunTest, NothingWrittenIntoAnEmptyFolderShowsNothing) {
  Convert("<DL>\n<DT><H3>Leer</H3>\n</DL>\n");
  EXPECT_TRUE(ui_.messages.empty());
  EXPECT_TRUE(ui_.startedProcesses.empty());
  EXPECT_EQ(root_.Text(Field::tFavoriten), "C:\\Favoriten\\");
  ExpectIdle();
}

struct UnreadableCase {
  const char* name;
  bool folder;  // the path names a folder; otherwise the file is locked
};

class UnreadableSourceTest : public ConversionRunTest, public ::testing::WithParamInterface<UnreadableCase> {};

TEST_P(UnreadableSourceTest, ReturnsToIdleWithTheErrorMessage) {
  if (GetParam().folder) {
    MakeHostFolder(Host("Lesezeichen/bookmarks.html"));
  } else {
    WriteHostFile(Host("Lesezeichen/bookmarks.html"), ExportFile({BookmarkLine("http://a/", "A")}));
    files_.openFault = [](const std::string&) { return true; };
  }
  conversion::RunConversion(root_);
  EXPECT_EQ(Shown(), std::vector<std::string>{Msg(MessageIcon::kError, kNotFound)});
  EXPECT_TRUE(ui_.startedProcesses.empty());
  EXPECT_TRUE(TargetFiles().empty());
  ExpectIdle();
}

INSTANTIATE_TEST_SUITE_P(Sources, UnreadableSourceTest,
                         ::testing::Values(UnreadableCase{"Folder", true}, UnreadableCase{"Locked", false}),
                         [](const auto& param) { return std::string(param.param.name); });

TEST_F(ConversionRunTest, AReadErrorEndsReadingAsAtTheEndOfTheFile) {
  const std::string first = BookmarkLine("http://a/", "Vorher") + "\n";
  files_.readFault = [&](const std::string&) { return std::optional<std::size_t>(first.size()); };
  const auto written = Convert(first + BookmarkLine("http://b/", "Nachher") + "\n");
  EXPECT_EQ(written.size(), 1u);
  EXPECT_TRUE(written.count("Vorher.url"));
  EXPECT_EQ(ui_.messages.size(), 1u);
  ExpectIdle();
}

TEST_F(ConversionRunTest, AShortcutThatCannotBeWrittenIsLeftOut) {
  WriteHostFile(Host("Favoriten/Fest.url"), "alt");
  ::chmod(Host("Favoriten/Fest.url").c_str(), 0444);
  const auto written = Convert(ExportFile({BookmarkLine("http://a/", "Fest"), BookmarkLine("http://b/", "Frei")}));
  EXPECT_EQ(written.at("Fest.url"), "alt");
  EXPECT_EQ(written.count("Frei.url"), 1u);
  EXPECT_EQ(ui_.messages.back().text, "Es wurden 2 Favoriten aus der Firefox Lesezeichendatei exportiert.    ");
}

TEST_F(ConversionRunTest, WaitsOneSecondBeforeCounting) {
  double listedAt = -1;
  ui_.UseVirtualClock(1000.0);
  ui_.onPump = [&] {
    if (ui_.pointer == MousePointer::kHourglass && root_.DirFiles.Path() == root_.Text(Field::tFavoriten)) {
      if (listedAt < 0) listedAt = ui_.VirtualTime();
    }
    return true;
  };
  Convert(ExportFile({BookmarkLine("http://a/", "A")}));
  EXPECT_DOUBLE_EQ(listedAt, 1001.0);
}

}  // namespace
}  // namespace merkwandel::testing
