// BrowseFolder against shell objects the tests describe: the lookup of the
// chosen folder's path through its parent, the folder's own item when that
// lookup fails, the drive fix-up, and failures at every link, with every
// object released at the end. (Its call of the dialog is checked with the
// folder choice.)
#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <optional>
#include <string>

#include "platform/host/host_shell.h"
#include "system/browse_folders_2k.h"

namespace merkwandel::testing {
namespace {

using platform::host::HostShellFolderState;
using Items = std::map<std::string, std::optional<std::string>>;

// What the chosen folder's own item (Self) answers.
struct SelfItem {
  bool exists = false;               // false: Self gives nothing
  std::optional<std::string> path;   // nothing: its Path fails
};
const SelfItem kNoSelf{};
SelfItem SelfAt(std::string path) { return {true, std::move(path)}; }
const SelfItem kSelfWithoutPath{true, std::nullopt};

std::shared_ptr<HostShellFolderState> WithSelf(std::shared_ptr<HostShellFolderState> folder,
                                               const SelfItem& self) {
  folder->hasSelf = self.exists;
  folder->selfPath = self.path;
  return folder;
}

// A chosen folder shown as `title` whose parent lists `items`.
std::shared_ptr<HostShellFolderState> Chosen(std::optional<std::string> title, Items items,
                                             const SelfItem& self = kNoSelf) {
  auto parent = std::make_shared<HostShellFolderState>();
  parent->title = "Eltern";
  parent->items = std::move(items);
  auto chosen = std::make_shared<HostShellFolderState>();
  chosen->title = std::move(title);
  chosen->parent = parent;
  return WithSelf(chosen, self);
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

// A chosen folder without parent, as every folder is under Wine.
std::shared_ptr<HostShellFolderState> TopOfTheTree(std::string title,
                                                   const SelfItem& self = kNoSelf) {
  auto top = std::make_shared<HostShellFolderState>();
  top->title = std::move(title);
  return WithSelf(top, self);
}

INSTANTIATE_TEST_SUITE_P(
    Choices, BrowseFolderTest,
    ::testing::Values(
        // Found by its displayed name, the parent's answer wins.
        BrowseCase{"OrdinaryFolder",
                   Chosen("Import", {{"Import", "C:\\Daten\\Import"}}, SelfAt("C:\\Anders")),
                   "C:\\Daten\\Import"},
        BrowseCase{"DriveNotFoundByTitle", Chosen("Lokaler Datenträger (C:)", {}), "C:\\"},
        BrowseCase{"DriveFoundByTitle",
                   Chosen("Lokaler Datenträger (C:)", {{"Lokaler Datenträger (C:)", "C:"}}),
                   "C:\\"},
        // A letter that takes more than one byte is taken whole.
        BrowseCase{"DriveLetterBeyondAscii", Chosen("Диск (Я:)", {}), "Я:\\"},
        // Shown under another name: not found by it, its own item answers.
        BrowseCase{"DisplayNameDiffers",
                   Chosen("Dokumente", {{"Documents", "C:\\Users\\anna\\Documents"}},
                          SelfAt("C:\\Users\\anna\\Documents")),
                   "C:\\Users\\anna\\Documents"},
        BrowseCase{"DisplayNameDiffersAndSelfFails",
                   Chosen("Dokumente", {{"Documents", "C:\\Users\\anna\\Documents"}}), ""},
        BrowseCase{"DisplayNameDiffersAndSelfHasNoPath",
                   Chosen("Dokumente", {{"Documents", "C:\\Users\\anna\\Documents"}},
                          kSelfWithoutPath),
                   ""},
        BrowseCase{"DisplayNameDiffersButNamesADrive",
                   Chosen("Archiv (D:)", {{"Archiv", "C:\\Archiv"}}, SelfAt("C:\\Archiv")),
                   "D:\\"},
        BrowseCase{"ColonStandsFirst", Chosen(":Import", {{":Import", "C:\\Daten\\Import"}}),
                   "C:\\Daten\\Import"},
        BrowseCase{"Cancel", nullptr, ""},
        BrowseCase{"ShellObjectCannotBeCreated",
                   Chosen("Import", {{"Import", "C:\\Import"}}, SelfAt("C:\\Import")), "", true},
        BrowseCase{"TitleFailsSelfAnswers",
                   Chosen(std::nullopt, {{"Import", "C:\\Import"}}, SelfAt("C:\\Import")),
                   "C:\\Import"},
        BrowseCase{"NoParentSelfAnswers", TopOfTheTree("Import", SelfAt("C:\\Daten\\Import")),
                   "C:\\Daten\\Import"},
        BrowseCase{"PathFailsSelfAnswers",
                   Chosen("Import", {{"Import", std::nullopt}}, SelfAt("C:\\Daten\\Import")),
                   "C:\\Daten\\Import"}),
    [](const auto& param) { return std::string(param.param.name); });

}  // namespace
}  // namespace merkwandel::testing
