// The two "..." handlers on real folders: the dialog the file choice shows
// and where it opens, what a choice or a cancel does to the fields, and the
// folder browser's call.
#include <filesystem>
#include <string>

#include "app/choose_paths.h"
#include "tests/host_fixture.h"

namespace merkwandel::testing {
namespace {

using namespace std::string_literals;

using app::Field;
using platform::host::HostCommonDialogs;

// Makes a host folder the process's current directory while it lives.
struct CurrentDirectory {
  explicit CurrentDirectory(const std::string& hostFolder) { std::filesystem::current_path(hostFolder); }
  ~CurrentDirectory() { std::filesystem::current_path(before); }
  const std::filesystem::path before = std::filesystem::current_path();
};

// A window state with a handle, as the real window has.
class WindowState : public app::Root {
 public:
  using Root::Root;
  std::uintptr_t WindowHandle() const override { return 0x4711; }
};

constexpr char kBookmarks[] = "C:\\Daten\\Mozilla\\bookmarks.html";

class ChoosePathsTest : public HostFixture {
 protected:
  ChoosePathsTest() {
    MakeHostFolder(Host("Daten/Mozilla"));
    MakeHostFolder(Host("Arbeit"));
    WriteHostFile(Host("Daten/Mozilla/bookmarks.html"), "x");
  }

  WindowState root_{platform_};
  HostCommonDialogs& dialogs_ = platform_.HostDialogs();
  platform::host::HostShellAutomation& shell_ = platform_.HostShell();
};

TEST_F(ChoosePathsTest, ShowsTheOpenDialogOwnedByTheWindow) {
  root_.SetText(Field::tHypertext, kBookmarks);
  app::ChooseBookmarkFile(root_);
  ASSERT_EQ(dialogs_.calls.size(), 1u);
  EXPECT_FALSE(dialogs_.calls[0].save);
  const auto& record = dialogs_.calls[0].record;
  EXPECT_EQ(record.structSize, sizeof(void*) == 4 ? 76u : 136u);
  EXPECT_EQ(record.owner, 0x4711u);
  EXPECT_EQ(record.title, "Datei öffnen");
  // Each part ended by a NUL, the list by one more; the first pair chosen.
  EXPECT_EQ(record.filter,
            "Hypertextdokumente\0*.htm; *.html\0Firefox-Lesezeichendatenbank\0places.sqlite\0"
            "Chromium-Lesezeichen (Chrome, Edge, Brave, Vivaldi, Opera)\0Bookmarks;AccountBookmarks\0"
            "Alle Dateitypen\0*.*\0\0"s);
  EXPECT_EQ(record.filterIndex, 1u);
  EXPECT_EQ(record.defaultExt, "");  // a name without extension is taken as it is
  EXPECT_EQ(record.flags, 0x1804u);  // the file and its folder must exist, no read-only box
  EXPECT_EQ(record.file, std::string(260, '\0'));  // no initial file name
  EXPECT_EQ(record.maxFile, 260u);
}

struct FileChoiceCase {
  const char* name;
  const char* field;       // tHypertext before
  const char* currentDir;  // host folder below drive C:'s folder
  const char* initialDir;  // where the dialog opens
  HostCommonDialogs::UserAction action;
  const char* after;  // tHypertext afterwards
  friend void PrintTo(const FileChoiceCase& c, std::ostream* os) { *os << c.name; }
};

class FileChoiceTest : public ChoosePathsTest, public ::testing::WithParamInterface<FileChoiceCase> {};

TEST_P(FileChoiceTest, OpensWhereTheFieldPointsAndTakesTheChoice) {
  const auto& c = GetParam();
  CurrentDirectory cwd(Host(c.currentDir));
  root_.SetText(Field::tHypertext, c.field);
  dialogs_.actions.push_back(c.action);
  app::ChooseBookmarkFile(root_);
  ASSERT_EQ(dialogs_.calls.size(), 1u);
  EXPECT_EQ(dialogs_.calls[0].record.initialDir, c.initialDir);
  EXPECT_EQ(root_.Text(Field::tHypertext), c.after);
  EXPECT_TRUE(ui_.messages.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Choices, FileChoiceTest,
    ::testing::Values(
        FileChoiceCase{"ExistingFile", kBookmarks, "Arbeit", "C:\\Daten\\Mozilla\\",
                       HostCommonDialogs::Choose("C:\\Arbeit\\export.htm"), "C:\\Arbeit\\export.htm"},
        FileChoiceCase{"ExistingFolder", "C:\\Daten\\Mozilla", "Arbeit", "C:\\Daten\\",
                       HostCommonDialogs::Choose("D:\\b.html"), "D:\\b.html"},
        FileChoiceCase{"MissingFile", "C:\\Daten\\fehlt.html", "Arbeit", "C:\\Arbeit",
                       HostCommonDialogs::Choose("C:\\ab"), "C:\\ab"},
        // A bare name found in the current directory has no folder part.
        FileChoiceCase{"BareNameInCurrentDirectory", "bookmarks.html", "Daten/Mozilla", "",
                       HostCommonDialogs::Choose("C:\\ab"), "C:\\ab"},
        // Fewer than five characters in all are not taken, counted as Windows does.
        FileChoiceCase{"FourCharacters", kBookmarks, "Arbeit", "C:\\Daten\\Mozilla\\",
                       HostCommonDialogs::Choose("C:\\a"), kBookmarks},
        FileChoiceCase{"FourCharactersFiveBytes", kBookmarks, "Arbeit", "C:\\Daten\\Mozilla\\",
                       HostCommonDialogs::Choose("C:\\ж"), kBookmarks},
        FileChoiceCase{"Cancel", kBookmarks, "Arbeit", "C:\\Daten\\Mozilla\\", HostCommonDialogs::Cancel(),
                       kBookmarks}),
    [](const auto& param) { return std::string(param.param.name); });

TEST_F(ChoosePathsTest, TheFolderBrowserStartsAtTheDrivesAndReplacesTheWholeField) {
  root_.SetText(Field::tFavoriten, "C:\\Users\\anna\\Favorites\\Importierte Dateien");
  app::ChooseTargetFolder(root_);  // cancelled
  EXPECT_EQ(root_.Text(Field::tFavoriten), "C:\\Users\\anna\\Favorites\\Importierte Dateien");

  shell_.choice = std::make_shared<platform::host::HostShellFolderState>();
  shell_.choice->title = "System (C:)";
  app::ChooseTargetFolder(root_);
  EXPECT_EQ(root_.Text(Field::tFavoriten), "C:\\");
  ASSERT_EQ(shell_.browseCalls.size(), 2u);
  const auto& call = shell_.browseCalls[1];
  EXPECT_EQ(call.hwnd, 0u);  // the browser has no owner window
  EXPECT_EQ(call.title, "Bitte wählen Sie den gewünschten Zielordner ...");
  EXPECT_EQ(call.options, 1);  // only folders of the file system
  EXPECT_EQ(call.rootFolder, platform::ShellRootFolder(17));
  EXPECT_TRUE(ui_.messages.empty());
}

}  // namespace
}  // namespace merkwandel::testing
