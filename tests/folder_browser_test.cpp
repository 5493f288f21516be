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

using Path = std::optional<std::string>;  // nothing: asking for it fails
// What the chosen folder's own item (Self) gives; nothing: there is no such item.
using SelfItem = std::optional<Path>;
SelfItem SelfAt(std::string path) { return Path(std::move(path)); }
const SelfItem kSelfWithoutPath = Path();

// A chosen folder shown as `title`, whose parent lists `items` (no parent:
// the top of the tree, as every folder is under Wine).
std::shared_ptr<HostShellFolderState> Folder(Path title, std::optional<Items> items, const SelfItem& self) {
  auto chosen = std::make_shared<HostShellFolderState>();
  chosen->title = std::move(title);
  if (items) {
    chosen->parent = std::make_shared<HostShellFolderState>();
    chosen->parent->items = std::move(*items);
  }
  chosen->hasSelf = self.has_value();
  chosen->selfPath = self.value_or(Path());
  return chosen;
}
std::shared_ptr<HostShellFolderState> Chosen(Path title, Items items, const SelfItem& self = {}) {
  return Folder(std::move(title), std::move(items), self);
}
std::shared_ptr<HostShellFolderState> TopOfTheTree(std::string title, const SelfItem& self = {}) {
  return Folder(std::move(title), std::nullopt, self);
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
