// The host backend's file operations: Windows rules over a real folder.
#include <sys/stat.h>

#include <filesystem>

#include "tests/host_fixture.h"

namespace merkwandel::testing {
namespace {

class HostFileSystemTest : public HostFixture {};

TEST_F(HostFileSystemTest, NamesAreOnDiskAsTheyAre) {
  MakeHostFolder(Host("Закладки Łódź"));
  ASSERT_TRUE(files_.WriteWholeFile("C:\\Закладки Łódź\\Твіттер 😀.url", "inhalt"));
  EXPECT_EQ(ReadHostFile(Host("Закладки Łódź/Твіттер 😀.url")), "inhalt");
  const auto listed = files_.ListFiles("C:\\Закладки Łódź");
  ASSERT_TRUE(listed.has_value());
  EXPECT_EQ(*listed, std::vector<std::string>{"Твіттер 😀.url"});
}

TEST_F(HostFileSystemTest, ANameUnderAnotherLetterCaseIsTheSameFile) {
  ASSERT_TRUE(files_.WriteWholeFile("C:\\Foo.url", "first"));
  ASSERT_TRUE(files_.WriteWholeFile("C:\\FOO.url", "second"));
  ASSERT_TRUE(files_.WriteWholeFile("C:\\ärger.url", "klein"));
  ASSERT_TRUE(files_.WriteWholeFile("C:\\ÄRGER.url", "gross"));
  EXPECT_EQ(HostNames(temp_.path()), (std::vector<std::string>{"Foo.url", "ärger.url"}));
  EXPECT_EQ(ReadHostFile(Host("Foo.url")), "second");
  EXPECT_EQ(ReadHostFile(Host("ärger.url")), "gross");
}

TEST_F(HostFileSystemTest, SeesFilesMadeBetweenWrites) {
  ASSERT_TRUE(files_.WriteWholeFile("C:\\a.url", "a"));
  WriteHostFile(Host("Neu.url"), "von aussen");
  ASSERT_TRUE(files_.ListFiles("C:\\").has_value());  // any other operation
  ASSERT_TRUE(files_.WriteWholeFile("C:\\NEU.url", "ersetzt"));
  EXPECT_EQ(HostNames(temp_.path()), (std::vector<std::string>{"Neu.url", "a.url"}));
  EXPECT_EQ(ReadHostFile(Host("Neu.url")), "ersetzt");
}

TEST_F(HostFileSystemTest, TheFolderIsFoundUnderAnyLetterCaseButNeverAFile) {
  MakeHostFolder(Host("Favoriten"));
  WriteHostFile(Host("Datei"), "x");
  ASSERT_TRUE(files_.WriteWholeFile("C:\\FAVORITEN\\a.url", "1"));
  ASSERT_TRUE(files_.WriteWholeFile("C:\\favoriten\\A.url", "2"));
  ASSERT_TRUE(files_.WriteWholeFile("C:\\Favoriten\\b.url", "3"));
  EXPECT_EQ(HostNames(Host("Favoriten")), (std::vector<std::string>{"a.url", "b.url"}));
  EXPECT_EQ(ReadHostFile(Host("Favoriten/a.url")), "2");
  EXPECT_FALSE(files_.WriteWholeFile("C:\\Datei\\a.url", "x"));
  EXPECT_FALSE(files_.WriteWholeFile("C:\\DATEI\\a.url", "x"));
  EXPECT_EQ(HostNames(temp_.path()), (std::vector<std::string>{"Datei", "Favoriten"}));
}

TEST_F(HostFileSystemTest, EachWriteFindsTheFolderAsItIsThen) {
  MakeHostFolder(Host("Ziel"));
  ASSERT_TRUE(files_.WriteWholeFile("C:\\Ziel\\a.url", "1"));
  std::filesystem::rename(Host("Ziel"), Host("Alt"));
  EXPECT_FALSE(files_.WriteWholeFile("C:\\Ziel\\b.url", "2"));
  MakeHostFolder(Host("ZIEL"));
  ASSERT_TRUE(files_.WriteWholeFile("C:\\Ziel\\c.url", "3"));
  MakeHostFolder(Host("Ziel"));  // now also as given
  ASSERT_TRUE(files_.WriteWholeFile("C:\\Ziel\\d.url", "4"));
  TempFolder other;
  MakeHostFolder(other.path() + "/Ziel");
  files_.MapDrive('C', other.path());
  ASSERT_TRUE(files_.WriteWholeFile("C:\\Ziel\\e.url", "5"));
  EXPECT_EQ(HostNames(Host("Alt")), std::vector<std::string>{"a.url"});
  EXPECT_EQ(HostNames(Host("ZIEL")), std::vector<std::string>{"c.url"});
  EXPECT_EQ(HostNames(Host("Ziel")), std::vector<std::string>{"d.url"});
  EXPECT_EQ(HostNames(other.path() + "/Ziel"), std::vector<std::string>{"e.url"});
}

TEST_F(HostFileSystemTest, AFailedWriteLeavesNothingBehind) {
  files_.writeFault = [](const std::string&) { return std::optional<std::size_t>(3); };
  EXPECT_FALSE(files_.WriteWholeFile("C:\\neu.url", "0123456789"));
  EXPECT_TRUE(HostNames(temp_.path()).empty());
}

TEST_F(HostFileSystemTest, AFailedReplacementKeepsTheOldContent) {
  WriteHostFile(Host("alt.url"), "alt");
  files_.writeFault = [](const std::string&) { return std::optional<std::size_t>(1); };
  EXPECT_FALSE(files_.WriteWholeFile("C:\\alt.url", "neu"));
  EXPECT_EQ(HostNames(temp_.path()), std::vector<std::string>{"alt.url"});
  EXPECT_EQ(ReadHostFile(Host("alt.url")), "alt");
}

TEST_F(HostFileSystemTest, AReadOnlyFileIsNotReplaced) {
  WriteHostFile(Host("fest.url"), "alt");
  ::chmod(Host("fest.url").c_str(), 0444);
  EXPECT_FALSE(files_.WriteWholeFile("C:\\fest.url", "neu"));
  EXPECT_EQ(ReadHostFile(Host("fest.url")), "alt");
}

struct RefusedName {
  const char* path;
};
class RefusedWriteTest : public HostFileSystemTest, public ::testing::WithParamInterface<RefusedName> {};

TEST_P(RefusedWriteTest, WritesNothing) {
  MakeHostFolder(Host("Ziel"));
  EXPECT_FALSE(files_.WriteWholeFile(GetParam().path, "x")) << GetParam().path;
  EXPECT_TRUE(HostNames(Host("Ziel")).empty());
  EXPECT_EQ(HostNames(temp_.path()), std::vector<std::string>{"Ziel"});
}

TEST_P(RefusedWriteTest, WritesNothingRightAfterAWriteIntoTheSameFolder) {
  // A series of writes into one folder takes a shorter way; it must refuse
  // the same.
  MakeHostFolder(Host("Ziel"));
  ASSERT_TRUE(files_.WriteWholeFile("C:\\Ziel\\ok.url", "x"));
  EXPECT_FALSE(files_.WriteWholeFile(GetParam().path, "x")) << GetParam().path;
  EXPECT_EQ(HostNames(Host("Ziel")), std::vector<std::string>{"ok.url"});
  EXPECT_EQ(HostNames(temp_.path()), std::vector<std::string>{"Ziel"});
}

INSTANTIATE_TEST_SUITE_P(
    Names, RefusedWriteTest,
    ::testing::Values(RefusedName{"C:\\Ziel\\a?b.url"}, RefusedName{"C:\\Ziel\\a*.url"},
                      RefusedName{"C:\\Ziel\\a|b.url"}, RefusedName{"C:\\Ziel\\CON.url"},
                      RefusedName{"C:\\Ziel\\nul.txt.url"}, RefusedName{"C:\\Ziel\\fehlt\\a.url"},
                      RefusedName{"C:\\Ziel\\"}, RefusedName{"Q:\\a.url"},
                      RefusedName{"C:\\Ziel\\a\x01" "b.url"}));

TEST_F(HostFileSystemTest, PathsLongerThanWindowsAllowsFail) {
  MakeHostFolder(Host("Ziel"));
  const std::string longName(260 - 12, 'x');
  EXPECT_FALSE(files_.WriteWholeFile("C:\\Ziel\\" + longName + ".url", "x"));
  EXPECT_TRUE(files_.WriteWholeFile("C:\\Ziel\\" + std::string(259 - 12, 'x') + ".url", "x"));
  EXPECT_FALSE(files_.WriteWholeFile("C:\\Ziel\\" + longName + ".url", "x"));  // right after a write
  EXPECT_TRUE(files_.WriteWholeFile("C:\\Ziel\\" + std::string(259 - 13, 'y') + ".url", "x"));
  EXPECT_FALSE(files_.MakeSureDirectoryPathExists("C:\\" + std::string(250, 'd') + "\\"));
  // Lengths in UTF-16 units: "ж" is one (two bytes), "😀" two (four bytes).
  std::string cyrillic, emoji;
  for (int i = 0; i < 100; ++i) cyrillic += "ж";
  for (int i = 0; i < 50; ++i) emoji += "😀";
  MakeHostFolder(Host(cyrillic + "/" + cyrillic));
  MakeHostFolder(Host(emoji + "/" + cyrillic));
  // 3 + 100 + 1 + 100 + 1 + 50 + 4 units.
  EXPECT_TRUE(files_.WriteWholeFile("C:\\" + cyrillic + "\\" + cyrillic + "\\" + std::string(50, 'x') + ".url", ""));
  EXPECT_FALSE(files_.WriteWholeFile("C:\\" + emoji + "\\" + cyrillic + "\\" + std::string(51, 'x') + ".url", ""));
}

TEST_F(HostFileSystemTest, DotsCannotLeaveTheDrive) {
  ASSERT_TRUE(files_.WriteWholeFile("C:\\..\\..\\..\\raus.url", "x"));
  EXPECT_TRUE(HostExists(Host("raus.url")));
}

TEST_F(HostFileSystemTest, MakeSureDirectoryPathExistsCreatesTheChain) {
  EXPECT_TRUE(files_.MakeSureDirectoryPathExists("C:\\a\\b\\\\c\\"));
  EXPECT_TRUE(HostExists(Host("a/b/c")));
  // Without a trailing "\" the last part names a file and is not created.
  EXPECT_TRUE(files_.MakeSureDirectoryPathExists("C:\\x\\y"));
  EXPECT_TRUE(HostExists(Host("x")));
  EXPECT_FALSE(HostExists(Host("x/y")));
  // Existing parts under another letter case are used, not doubled.
  EXPECT_TRUE(files_.MakeSureDirectoryPathExists("C:\\A\\B\\neu\\"));
  EXPECT_TRUE(HostExists(Host("a/b/neu")));
  EXPECT_FALSE(files_.MakeSureDirectoryPathExists("Q:\\a\\"));
  EXPECT_FALSE(files_.MakeSureDirectoryPathExists("C:\\a\\b?\\"));
}

TEST_F(HostFileSystemTest, ListsHiddenFilesAndSeparatesFolders) {
  MakeHostFolder(Host("Ziel/Unterordner"));
  WriteHostFile(Host("Ziel/.versteckt"), "");
  WriteHostFile(Host("Ziel/a.url"), "");
  ::symlink("a.url", Host("Ziel/verweis.url").c_str());
  auto listedFiles = files_.ListFiles("C:\\Ziel\\");
  auto listedFolders = files_.ListSubfolders("C:\\ziel");
  ASSERT_TRUE(listedFiles && listedFolders);
  std::sort(listedFiles->begin(), listedFiles->end());
  EXPECT_EQ(*listedFiles, (std::vector<std::string>{".versteckt", "a.url", "verweis.url"}));
  EXPECT_EQ(*listedFolders, std::vector<std::string>{"Unterordner"});
  EXPECT_FALSE(files_.ListFiles("C:\\fehlt").has_value());
}

TEST_F(HostFileSystemTest, ReadsFilesButNotFolders) {
  WriteHostFile(Host("datei.html"), std::string("abc\0def", 7));
  auto file = files_.OpenForReading("C:\\DATEI.html");
  ASSERT_NE(file, nullptr);
  char buffer[16];
  EXPECT_EQ(file->Read(buffer, sizeof buffer), 7);
  EXPECT_EQ(file->Read(buffer, sizeof buffer), 0);
  MakeHostFolder(Host("ordner"));
  EXPECT_EQ(files_.OpenForReading("C:\\ordner"), nullptr);
  EXPECT_EQ(files_.OpenForReading("C:\\*.html"), nullptr);
  files_.openFault = [](const std::string&) { return true; };
  EXPECT_EQ(files_.OpenForReading("C:\\datei.html"), nullptr);
}

TEST_F(HostFileSystemTest, APrivateSnapshotOfAFile) {
  WriteHostFile(Host("places.sqlite"), std::string(100000, 'p'));
  const auto folder = files_.MakeTemporaryFolder();
  ASSERT_TRUE(folder.has_value());
  ASSERT_EQ(folder->front(), '/');
  EXPECT_TRUE(HostNames(*folder).empty());
  const std::string copy = *folder + "\\places.sqlite";
  ASSERT_TRUE(files_.CopySharedFile("C:\\places.sqlite", copy));
  EXPECT_EQ(ReadHostFile(*folder + "/places.sqlite"), std::string(100000, 'p'));
  EXPECT_FALSE(files_.CopySharedFile("C:\\places.sqlite", *folder + "/PLACES.sqlite"));  // exists
  EXPECT_FALSE(files_.CopySharedFile("C:\\fehlt.sqlite", *folder + "/a"));
  // Held by another program, or failing half-way: no copy is left.
  files_.openFault = [](const std::string& path) { return path.ends_with("places.sqlite"); };
  EXPECT_FALSE(files_.CopySharedFile("C:\\places.sqlite", *folder + "/b"));
  files_.openFault = nullptr;
  files_.readFault = [](const std::string&) { return std::optional<std::size_t>(70000); };
  EXPECT_FALSE(files_.CopySharedFile("C:\\places.sqlite", *folder + "/c"));
  EXPECT_EQ(HostNames(*folder), std::vector<std::string>{"places.sqlite"});
  EXPECT_EQ(ReadHostFile(Host("places.sqlite")), std::string(100000, 'p'));

  EXPECT_TRUE(files_.RemoveFolderAndFiles(*folder));
  EXPECT_FALSE(HostExists(*folder));
}

TEST_F(HostFileSystemTest, HostPathsWithoutDriveLetter) {
  const std::string windowsStyle = temp_.path() + "\\sub\\";
  EXPECT_TRUE(files_.MakeSureDirectoryPathExists(windowsStyle));
  EXPECT_TRUE(HostExists(Host("sub")));
  EXPECT_TRUE(files_.WriteWholeFile(temp_.path() + "/sub/a.url", "x"));
  EXPECT_TRUE(files_.SearchFindsEntry(temp_.path() + "\\sub\\a.url"));
}

}  // namespace
}  // namespace merkwandel::testing
