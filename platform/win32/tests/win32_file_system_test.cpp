// The Win32 file operations on real folders: the existence tests, folder
// creation, replacing files without losing them, listings and reading.
#include <algorithm>

#include "platform/win32/handles.h"
#include "platform/win32/tests/win32_fixture.h"
#include "system/dateiexistenz.h"
#include "system/file_dir_path.h"

namespace merkwandel::testing {
namespace {

using platform::win32::KernelHandle;

class FileTestsTest : public Win32Fixture {
 protected:
  FileTestsTest() {
    MakeFolder(At("Daten"));
    MakeFolder(At("Daten\\Mozilla"));
    MakeFolder(At("Leer"));
    MakeFile(At("Daten\\Mozilla\\bookmarks.html"), "x");
    MakeFile(At("Daten\\notiz.txt"), "x");
  }
};

struct ExistCase {
  const char* path;  // "@" stands for the test's folder
  bool fileExists;
  bool pathExists;
};

class ExistenceTest : public FileTestsTest, public ::testing::WithParamInterface<ExistCase> {};

TEST_P(ExistenceTest, AnswersAsWindowsDoes) {
  std::string path = GetParam().path;
  if (const auto at = path.find('@'); at != std::string::npos) path.replace(at, 1, root_);
  EXPECT_EQ(system_helpers::FileExists(files_, path), GetParam().fileExists) << path;
  EXPECT_EQ(system_helpers::PathExists(files_, path), GetParam().pathExists) << path;
}

INSTANTIATE_TEST_SUITE_P(
    Paths, ExistenceTest,
    ::testing::Values(ExistCase{"@\\Daten\\Mozilla\\bookmarks.html", true, true},
                      ExistCase{"@\\DATEN\\mozilla\\BOOKMARKS.HTML", true, true},
                      ExistCase{"@\\Daten\\Mozilla", true, true},
                      ExistCase{"@\\Daten\\Mozilla\\", false, true},
                      ExistCase{"C:\\", false, true}, ExistCase{"", false, false},
                      ExistCase{"@\\Daten\\fehlt.html", false, false},
                      ExistCase{"@\\Fehlt\\bookmarks.html", false, false},
                      ExistCase{"@\\Daten\\Mozilla\\*.html", true, false},
                      ExistCase{"@\\Daten\\*.html", false, false},
                      ExistCase{"@\\Leer\\*", true, false},
                      ExistCase{"@\\Daten\\Mozilla\\bookmarks.htm?", true, false},
                      ExistCase{"@\\Daten\\notiz.txt\\", false, false}));

TEST_F(FileTestsTest, GetDirPathGivesTheFolderThatHoldsAFile) {
  const std::string file = At("Daten\\Mozilla\\bookmarks.html");
  const std::string folder = system_helpers::GetDirPath(file);
  EXPECT_EQ(folder, At("Daten\\Mozilla\\"));
  EXPECT_TRUE(system_helpers::PathExists(files_, folder));
  EXPECT_FALSE(system_helpers::FileExists(files_, folder));
}

TEST_F(FileTestsTest, AttributesOfHiddenFilesAndFolders) {
  MakeFile(At("Daten\\versteckt.url"), "x", FILE_ATTRIBUTE_HIDDEN);
  const auto hidden = files_.Attributes(At("Daten\\versteckt.url"));
  ASSERT_TRUE(hidden.has_value());
  EXPECT_TRUE(*hidden & platform::kAttributeHidden);
  const auto folder = files_.Attributes(At("Daten"));
  ASSERT_TRUE(folder.has_value());
  EXPECT_TRUE(*folder & platform::kAttributeDirectory);
  EXPECT_FALSE(files_.Attributes(At("Daten\\*")).has_value());
}

class Win32FileSystemTest : public Win32Fixture {};

TEST_F(Win32FileSystemTest, MakeSureDirectoryPathExistsCreatesTheChain) {
  // A doubled "\" as a run gives when the folder's text already ends in one.
  EXPECT_TRUE(files_.MakeSureDirectoryPathExists(At("a\\b\\\\c\\")));
  EXPECT_TRUE(system_helpers::PathExists(files_, At("a\\b\\c")));
  EXPECT_TRUE(files_.MakeSureDirectoryPathExists(At("a\\b\\c\\")));  // already there
  // Without a trailing "\" the last part names a file and is not made.
  EXPECT_TRUE(files_.MakeSureDirectoryPathExists(At("x\\y")));
  EXPECT_TRUE(system_helpers::PathExists(files_, At("x")));
  EXPECT_FALSE(system_helpers::PathExists(files_, At("x\\y")));
  EXPECT_FALSE(files_.MakeSureDirectoryPathExists(At("a\\b?\\")));
}

TEST_F(Win32FileSystemTest, APathTooLongToMakeFailsAfterTheFoldersThatFit) {
  // Folder paths from 248 characters on can't be made; each case is longer
  // than MAX_PATH before its last part, one of them by far.
  for (const std::size_t length : {std::size_t{MAX_PATH}, std::size_t{300}, std::size_t{1000}}) {
    const std::string fits = At("kurz") + "\\";
    const std::string path = fits + std::string(length - fits.size(), 'x') + "\\ende\\";
    EXPECT_FALSE(files_.MakeSureDirectoryPathExists(path)) << length;
    EXPECT_TRUE(system_helpers::PathExists(files_, At("kurz"))) << length;
    EXPECT_TRUE(NamesIn(At("kurz")).empty()) << length;
    RemoveTree(At("kurz"));
  }
}

TEST_F(Win32FileSystemTest, WritesNewFilesByteForByte) {
  const std::string content = "[InternetShortcut]\r\nURL=http://a.example/\xE4\r\n";
  ASSERT_TRUE(files_.WriteWholeFile(At("neu.url"), content));
  EXPECT_EQ(ReadFileBytes(At("neu.url")), content);
  ASSERT_TRUE(files_.WriteWholeFile(At("B\xFC" "cher.url"), "x"));
  EXPECT_EQ(NamesIn(root_), (std::vector<std::string>{"B\xFC" "cher.url", "neu.url"}));
}

TEST_F(Win32FileSystemTest, ReplacesAFileAndKeepsItsName) {
  MakeFile(At("Foo.url"), "alt, und l\xE4nger als das Neue");
  ASSERT_TRUE(files_.WriteWholeFile(At("FOO.url"), "neu"));
  EXPECT_EQ(NamesIn(root_), std::vector<std::string>{"Foo.url"});
  EXPECT_EQ(ReadFileBytes(At("Foo.url")), "neu");
}

TEST_F(Win32FileSystemTest, AReadOnlyFileIsNotReplaced) {
  MakeFile(At("fest.url"), "alt", FILE_ATTRIBUTE_READONLY);
  EXPECT_FALSE(files_.WriteWholeFile(At("fest.url"), "neu"));
  EXPECT_EQ(ReadFileBytes(At("fest.url")), "alt");
  EXPECT_EQ(NamesIn(root_), std::vector<std::string>{"fest.url"});
}

TEST_F(Win32FileSystemTest, AFileHeldOpenByAnotherProgramIsNotReplaced) {
  MakeFile(At("offen.url"), "alt");
  {
    // Held without sharing, as a program that has it open for writing.
    KernelHandle held(CreateFileA(At("offen.url").c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(held.valid());
    EXPECT_FALSE(files_.WriteWholeFile(At("offen.url"), "neu"));
    EXPECT_EQ(NamesIn(root_), std::vector<std::string>{"offen.url"});  // no temporary file left
  }
  EXPECT_EQ(ReadFileBytes(At("offen.url")), "alt");
}

struct RefusedName {
  const char* relative;
};
class RefusedWriteTest : public Win32FileSystemTest,
                         public ::testing::WithParamInterface<RefusedName> {};

TEST_P(RefusedWriteTest, WritesNothing) {
  MakeFolder(At("Ziel"));
  EXPECT_FALSE(files_.WriteWholeFile(At(GetParam().relative), "x")) << GetParam().relative;
  EXPECT_TRUE(NamesIn(At("Ziel")).empty());
  EXPECT_EQ(NamesIn(root_), std::vector<std::string>{"Ziel"});
}

INSTANTIATE_TEST_SUITE_P(Names, RefusedWriteTest,
                         ::testing::Values(RefusedName{"Ziel\\a?b.url"}, RefusedName{"Ziel\\a*.url"},
                                           RefusedName{"Ziel\\a|b.url"},
                                           RefusedName{"Ziel\\fehlt\\a.url"},
                                           RefusedName{"Ziel\\"}, RefusedName{"Ziel"}));

TEST_F(Win32FileSystemTest, ListsEveryFileWhateverItsAttributesAndNoFolders) {
  MakeFolder(At("Ziel"));
  MakeFolder(At("Ziel\\Unterordner"));
  MakeFile(At("Ziel\\a.url"), "");
  MakeFile(At("Ziel\\versteckt.url"), "", FILE_ATTRIBUTE_HIDDEN);
  MakeFile(At("Ziel\\system.ini"), "", FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_HIDDEN);
  MakeFile(At("Ziel\\fest.url"), "", FILE_ATTRIBUTE_READONLY);
  for (const std::string& folder : {At("Ziel"), At("Ziel\\")}) {
    auto listedFiles = files_.ListFiles(folder);
    auto listedFolders = files_.ListSubfolders(folder);
    ASSERT_TRUE(listedFiles && listedFolders) << folder;
    std::sort(listedFiles->begin(), listedFiles->end());
    EXPECT_EQ(*listedFiles,
              (std::vector<std::string>{"a.url", "fest.url", "system.ini", "versteckt.url"}));
    EXPECT_EQ(*listedFolders, std::vector<std::string>{"Unterordner"});
  }
  const auto empty = files_.ListFiles(At("Ziel\\Unterordner"));
  ASSERT_TRUE(empty.has_value());
  EXPECT_TRUE(empty->empty());
  EXPECT_FALSE(files_.ListFiles(At("fehlt")).has_value());
  EXPECT_FALSE(files_.ListFiles(At("Ziel\\a.url")).has_value());
  EXPECT_FALSE(files_.ListSubfolders("").has_value());
}

TEST_F(Win32FileSystemTest, ReadsFilesButNotFoldersOrPatterns) {
  MakeFile(At("datei.html"), std::string("abc\0def\r\n", 9));
  auto file = files_.OpenForReading(At("DATEI.html"));
  ASSERT_NE(file, nullptr);
  char buffer[16];
  EXPECT_EQ(file->Read(buffer, sizeof buffer), 9);
  EXPECT_EQ(std::string(buffer, 9), std::string("abc\0def\r\n", 9));
  EXPECT_EQ(file->Read(buffer, sizeof buffer), 0);
  MakeFolder(At("ordner"));
  EXPECT_EQ(files_.OpenForReading(At("ordner")), nullptr);
  EXPECT_EQ(files_.OpenForReading(At("*.html")), nullptr);
  EXPECT_EQ(files_.OpenForReading(At("fehlt.html")), nullptr);
}

TEST_F(Win32FileSystemTest, TheCurrentDirectoryHasNoTrailingBackslashButARootDoes) {
  char before[MAX_PATH + 1];
  ASSERT_NE(GetCurrentDirectoryA(sizeof before, before), 0u);
  ASSERT_TRUE(SetCurrentDirectoryA((root_ + "\\").c_str()));
  const std::string inside = files_.CurrentDirectory();
  ASSERT_TRUE(SetCurrentDirectoryA("C:\\"));
  const std::string root = files_.CurrentDirectory();
  SetCurrentDirectoryA(before);
  EXPECT_EQ(lstrcmpiA(inside.c_str(), root_.c_str()), 0) << inside << " vs " << root_;
  EXPECT_EQ(root, "C:\\");
}

}  // namespace
}  // namespace merkwandel::testing
