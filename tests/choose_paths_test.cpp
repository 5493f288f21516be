// The two "..." handlers on real folders: where the file dialog opens, what
// a choice or a cancel does to the fields, and the folder browser's root.
#include <unistd.h>

#include <climits>
#include <stdexcept>
#include <string>

#include "app/choose_paths.h"
#include "tests/host_fixture.h"

namespace merkwandel::testing {
namespace {

using namespace std::string_literals;

using app::Field;
using platform::host::HostCommonDialogs;

// Makes a host folder the process's current directory while it lives.
class CurrentDirectory {
 public:
  explicit CurrentDirectory(const std::string& hostFolder) {
    if (::getcwd(before_, sizeof before_) == nullptr) throw std::runtime_error("getcwd failed");
    if (::chdir(hostFolder.c_str()) != 0) throw std::runtime_error("chdir failed");
  }
  ~CurrentDirectory() {
    if (::chdir(before_) != 0) std::abort();
  }
  CurrentDirectory(const CurrentDirectory&) = delete;
  CurrentDirectory& operator=(const CurrentDirectory&) = delete;

 private:
  char before_[PATH_MAX];
};

// A window state with a handle, as the real window has.
class WindowState : public app::Root {
 public:
  using Root::Root;
  std::uintptr_t WindowHandle() const override { return 0x4711; }
};

class ChoosePathsTest : public HostFixture {
 protected:
  ChoosePathsTest() {
    MakeHostFolder(Host("Daten/Mozilla"));
    MakeHostFolder(Host("Arbeit"));
    WriteHostFile(Host("Daten/Mozilla/bookmarks.html"), "x");
  }
  const platform::FileDialogRecord& Record() { return platform_.HostDialogs().calls.back().record; }

  WindowState root_{platform_};
  HostCommonDialogs& dialogs_ = platform_.HostDialogs();
  platform::host::HostShellAutomation& shell_ = platform_.HostShell();
};

TEST_F(ChoosePathsTest, OpensTheDialogOwnedByTheWindowWithItsTexts) {
  root_.SetText(Field::tHypertext, "C:\\Daten\\Mozilla\\bookmarks.html");
  dialogs_.actions.push_back(HostCommonDialogs::Cancel());
  app::ChooseBookmarkFile(root_);
  ASSERT_EQ(dialogs_.calls.size(), 1u);
  EXPECT_FALSE(dialogs_.calls[0].save);
  const auto& record = Record();
  EXPECT_EQ(record.owner, 0x4711u);
  EXPECT_EQ(record.title, "Datei öffnen");
  EXPECT_EQ(record.initialDir, "C:\\Daten\\Mozilla\\");
  EXPECT_EQ(record.filter,
            "Hypertextdokumente\0*.htm; *.html\0Firefox-Lesezeichendatenbank\0places.sqlite\0"
            "Alle Dateitypen\0*.*\0\0"s);
  EXPECT_EQ(record.defaultExt, "htm");
  EXPECT_EQ(record.flags, 0x1804u);
  EXPECT_EQ(record.file, std::string(260, '\0'));  // no initial file name
  EXPECT_EQ(root_.Text(Field::tHypertext), "C:\\Daten\\Mozilla\\bookmarks.html");
}

struct StartCase {
  const char* name;
  const char* field;       // text of tHypertext
  const char* currentDir;  // host folder below drive C:'s folder
  const char* initialDir;  // where the dialog opens
};

class StartFolderTest : public ChoosePathsTest, public ::testing::WithParamInterface<StartCase> {};

TEST_P(StartFolderTest, OpensWhereTheFieldPoints) {
  const auto& c = GetParam();
  CurrentDirectory cwd(Host(c.currentDir));
  root_.SetText(Field::tHypertext, c.field);
  app::ChooseBookmarkFile(root_);  // cancelled
  ASSERT_EQ(dialogs_.calls.size(), 1u);
  EXPECT_EQ(Record().initialDir, c.initialDir);
  EXPECT_EQ(root_.Text(Field::tHypertext), c.field);
}

INSTANTIATE_TEST_SUITE_P(
    Fields, StartFolderTest,
    ::testing::Values(
        StartCase{"ExistingFile", "C:\\Daten\\Mozilla\\bookmarks.html", "Arbeit", "C:\\Daten\\Mozilla\\"},
        StartCase{"ExistingFileOtherCase", "c:\\daten\\MOZILLA\\Bookmarks.html", "Arbeit",
                  "c:\\daten\\MOZILLA\\"},
        StartCase{"ExistingFolder", "C:\\Daten\\Mozilla", "Arbeit", "C:\\Daten\\"},
        StartCase{"MissingFile", "C:\\Daten\\Mozilla\\fehlt.html", "Arbeit", "C:\\Arbeit"},
        StartCase{"Empty", "", "Arbeit", "C:\\Arbeit"},
        StartCase{"FolderWithBackslash", "C:\\Daten\\Mozilla\\", "Arbeit", "C:\\Arbeit"},
        StartCase{"CurrentDirectoryIsTheRoot", "", "", "C:\\"},
        // A bare name found in the current directory has no folder part.
        StartCase{"BareNameInCurrentDirectory", "bookmarks.html", "Daten/Mozilla", ""},
        StartCase{"BareNameMissing", "bookmarks.html", "Arbeit", "C:\\Arbeit"}),
    [](const auto& param) { return std::string(param.param.name); });

struct ChoiceCase {
  const char* name;
  HostCommonDialogs::UserAction action;
  const char* field;  // tHypertext afterwards
};
void PrintTo(const ChoiceCase& c, std::ostream* os) { *os << c.name; }

class FileChoiceTest : public ChoosePathsTest, public ::testing::WithParamInterface<ChoiceCase> {};

constexpr char kBefore[] = "C:\\Daten\\Mozilla\\bookmarks.html";

TEST_P(FileChoiceTest, PutsTheChoiceIntoTheField) {
  root_.SetText(Field::tHypertext, kBefore);
  dialogs_.actions.push_back(GetParam().action);
  app::ChooseBookmarkFile(root_);
  EXPECT_EQ(root_.Text(Field::tHypertext), GetParam().field);
  EXPECT_TRUE(ui_.messages.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Actions, FileChoiceTest,
    ::testing::Values(
        ChoiceCase{"FileInAnotherFolder", HostCommonDialogs::Choose("C:\\Arbeit\\export.htm"),
                   "C:\\Arbeit\\export.htm"},
        ChoiceCase{"FileInADriveRoot", HostCommonDialogs::Choose("D:\\b.html"), "D:\\b.html"},
        ChoiceCase{"FourCharacters", HostCommonDialogs::Choose("C:\\a"), kBefore},
        ChoiceCase{"FourCharactersFiveBytes", HostCommonDialogs::Choose("C:\\ж"), kBefore},
        ChoiceCase{"FiveCharacters", HostCommonDialogs::Choose("C:\\ab"), "C:\\ab"},
        ChoiceCase{"LongProfilePath",
                   HostCommonDialogs::Choose(
                       "C:\\Users\\Annemarie Mustermann-Schmidt\\AppData\\Roaming\\Mozilla\\"
                       "Firefox\\Profiles\\k3x9w2qa.default-release-1700000000000\\bookmarks.html"),
                   "C:\\Users\\Annemarie Mustermann-Schmidt\\AppData\\Roaming\\Mozilla\\"
                   "Firefox\\Profiles\\k3x9w2qa.default-release-1700000000000\\bookmarks.html"},
        ChoiceCase{"Cancel", HostCommonDialogs::Cancel(), kBefore},
        ChoiceCase{"Failure", HostCommonDialogs::Fail(0xFFFF), kBefore},
        ChoiceCase{"PathTooLong",
                   HostCommonDialogs::Choose("C:\\" + std::string(300, 'x') + "\\a.html"), kBefore}),
    [](const auto& param) { return std::string(param.param.name); });

TEST_F(ChoosePathsTest, CancelWithAnEmptyStartFolderChangesNothing) {
  CurrentDirectory cwd(Host("Daten/Mozilla"));
  root_.SetText(Field::tHypertext, "bookmarks.html");
  dialogs_.actions.push_back(HostCommonDialogs::Cancel());
  app::ChooseBookmarkFile(root_);
  EXPECT_EQ(root_.Text(Field::tHypertext), "bookmarks.html");
}

TEST_F(ChoosePathsTest, FolderBrowserStartsAtTheDrivesAndReplacesTheWholeField) {
  root_.SetText(Field::tFavoriten, "C:\\Users\\anna\\Favorites\\Importierte Dateien");
  auto parent = std::make_shared<platform::host::HostShellFolderState>();
  parent->items = {{"Import", "C:\\Daten\\Import"}};
  shell_.choice = std::make_shared<platform::host::HostShellFolderState>();
  shell_.choice->title = "Import";
  shell_.choice->parent = parent;

  app::ChooseTargetFolder(root_);
  EXPECT_EQ(root_.Text(Field::tFavoriten), "C:\\Daten\\Import");
  ASSERT_EQ(shell_.browseCalls.size(), 1u);
  EXPECT_EQ(shell_.browseCalls[0].rootFolder, platform::ShellRootFolder(17));
  EXPECT_EQ(shell_.browseCalls[0].hwnd, 0u);  // the browser has no owner window

  shell_.choice->title = "System (C:)";
  app::ChooseTargetFolder(root_);
  EXPECT_EQ(root_.Text(Field::tFavoriten), "C:\\");
}

TEST_F(ChoosePathsTest, FolderBrowserWithoutChoiceChangesNothing) {
  root_.SetText(Field::tFavoriten, "C:\\Favoriten");
  shell_.choice = nullptr;
  app::ChooseTargetFolder(root_);
  EXPECT_EQ(root_.Text(Field::tFavoriten), "C:\\Favoriten");

  shell_.choice = std::make_shared<platform::host::HostShellFolderState>();
  shell_.choice->title = "Eigene Dokumente";  // its parent knows it by another name
  app::ChooseTargetFolder(root_);
  EXPECT_EQ(root_.Text(Field::tFavoriten), "C:\\Favoriten");

  shell_.creationFails = true;
  app::ChooseTargetFolder(root_);
  EXPECT_EQ(root_.Text(Field::tFavoriten), "C:\\Favoriten");
  EXPECT_EQ(shell_.browseCalls.size(), 2u);
  EXPECT_TRUE(ui_.messages.empty());
}

}  // namespace
}  // namespace merkwandel::testing
