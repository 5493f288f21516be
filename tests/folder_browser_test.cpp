// BrowseFolder against shell objects the tests describe: the lookup of the
// chosen folder's path through its parent, the drive fix-up, and failures at
// every link, with every object released at the end.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/host/host_shell.h"
#include "system/browse_folders_2k.h"

namespace merkwandel::testing {
namespace {

using platform::host::HostShellFolderState;
using Items = std::map<std::string, std::optional<std::string>>;

// A chosen folder shown as `title` whose parent lists `items`.
std::shared_ptr<HostShellFolderState> Chosen(std::optional<std::string> title, Items items) {
  auto parent = std::make_shared<HostShellFolderState>();
  parent->title = "Eltern";
  parent->items = std::move(items);
  auto chosen = std::make_shared<HostShellFolderState>();
  chosen->title = std::move(title);
  chosen->parent = parent;
  return chosen;
}

struct BrowseCase {
  const char* name;
  std::shared_ptr<HostShellFolderState> choice;  // null: the user cancels
  std::string path;
  bool creationFails = false;
};
void PrintTo(const BrowseCase& c, std::ostream* os) { *os << c.name; }

class BrowseFolderTest : public ::testing::TestWithParam<BrowseCase> {
 protected:
  platform::host::HostShellAutomation shell_;
};

TEST_P(BrowseFolderTest, GivesThePathAndReleasesEverything) {
  const auto& c = GetParam();
  shell_.choice = c.choice;
  shell_.creationFails = c.creationFails;
  EXPECT_EQ(system_helpers::BrowseFolder(shell_, 17), c.path);
  EXPECT_EQ(shell_.liveObjects, 0);
}

std::shared_ptr<HostShellFolderState> TopOfTheTree(std::string title) {
  auto top = std::make_shared<HostShellFolderState>();
  top->title = std::move(title);
  return top;
}

INSTANTIATE_TEST_SUITE_P(
    Choices, BrowseFolderTest,
    ::testing::Values(
        BrowseCase{"OrdinaryFolder", Chosen("Import", {{"Import", "C:\\Daten\\Import"}}),
                   "C:\\Daten\\Import"},
        BrowseCase{"FoundIgnoringLetterCase", Chosen("import", {{"Import", "C:\\Daten\\Import"}}),
                   "C:\\Daten\\Import"},
        BrowseCase{"AnsiName",
                   Chosen("Lesezeichen f\xFCr M\xFCller",
                          {{"Lesezeichen f\xFCr M\xFCller", "C:\\Lesezeichen f\xFCr M\xFCller"}}),
                   "C:\\Lesezeichen f\xFCr M\xFCller"},
        BrowseCase{"DriveNotFoundByTitle", Chosen("Lokaler Datentr\xE4ger (C:)", {}), "C:\\"},
        BrowseCase{"DriveFoundByTitle",
                   Chosen("Lokaler Datentr\xE4ger (C:)", {{"Lokaler Datentr\xE4ger (C:)", "C:"}}),
                   "C:\\"},
        BrowseCase{"NetworkDrive", Chosen("daten auf 'server' (Z:)", {}), "Z:\\"},
        BrowseCase{"DriveWithoutParent", TopOfTheTree("Lokaler Datentr\xE4ger (C:)"), "C:\\"},
        BrowseCase{"DisplayNameDiffers",
                   Chosen("Eigene Dokumente", {{"Documents", "C:\\Users\\anna\\Documents"}}), ""},
        BrowseCase{"DisplayNameDiffersButNamesADrive",
                   Chosen("Archiv (D:)", {{"Archiv", "C:\\Archiv"}}), "D:\\"},
        BrowseCase{"ColonStandsFirst", Chosen(":Import", {{":Import", "C:\\Daten\\Import"}}),
                   "C:\\Daten\\Import"},
        BrowseCase{"Cancel", nullptr, ""},
        BrowseCase{"ShellObjectCannotBeCreated", Chosen("Import", {{"Import", "C:\\Import"}}), "",
                   true},
        BrowseCase{"TitleFails", Chosen(std::nullopt, {{"Import", "C:\\Import"}}), ""},
        BrowseCase{"NoParent", TopOfTheTree("Desktop"), ""},
        BrowseCase{"PathFails", Chosen("Import", {{"Import", std::nullopt}}), ""},
        BrowseCase{"PathFailsOnADrive", Chosen("Daten (E:)", {{"Daten (E:)", std::nullopt}}),
                   "E:\\"}),
    [](const auto& param) { return std::string(param.param.name); });

TEST(BrowseFolderCallsTest, AsksTheShellInOrderWithTheDialogsArguments) {
  platform::host::HostShellAutomation shell;
  shell.choice = Chosen("Import", {{"Import", "C:\\Daten\\Import"}});
  EXPECT_EQ(system_helpers::BrowseFolder(shell, 17), "C:\\Daten\\Import");
  EXPECT_EQ(shell.calls, (std::vector<std::string>{"CreateShellApplication", "BrowseForFolder",
                                                   "Title", "ParentFolder",
                                                   "ParseName(Import)", "Path"}));
  ASSERT_EQ(shell.browseCalls.size(), 1u);
  const auto& call = shell.browseCalls[0];
  EXPECT_EQ(call.hwnd, 0u);
  EXPECT_EQ(call.title, "Bitte w\xE4hlen Sie den gew\xFCnschten Zielordner ...");
  EXPECT_EQ(call.options, 1);
  EXPECT_EQ(call.rootFolder, platform::ShellRootFolder(17));

  // Another root is passed on as it is; a new shell object serves each call.
  EXPECT_EQ(system_helpers::BrowseFolder(shell, std::string("C:\\Daten")), "C:\\Daten\\Import");
  ASSERT_EQ(shell.browseCalls.size(), 2u);
  EXPECT_EQ(shell.browseCalls[1].rootFolder, platform::ShellRootFolder(std::string("C:\\Daten")));
  EXPECT_EQ(std::count(shell.calls.begin(), shell.calls.end(), "CreateShellApplication"), 2);
}

TEST(BrowseFolderCallsTest, StopsAtTheFirstFailingLink) {
  platform::host::HostShellAutomation shell;
  shell.choice = TopOfTheTree("Desktop");
  EXPECT_EQ(system_helpers::BrowseFolder(shell, 17), "");
  EXPECT_EQ(shell.calls, (std::vector<std::string>{"CreateShellApplication", "BrowseForFolder",
                                                   "Title", "ParentFolder"}));
  shell.calls.clear();
  shell.choice = nullptr;
  EXPECT_EQ(system_helpers::BrowseFolder(shell, 17), "");
  EXPECT_EQ(shell.calls, (std::vector<std::string>{"CreateShellApplication", "BrowseForFolder"}));
}

}  // namespace
}  // namespace merkwandel::testing
