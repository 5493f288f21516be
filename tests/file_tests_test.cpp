// FileExists, PathExists and GetDirPath on real folders through the host
// backend's Windows rules.
#include <sys/stat.h>

#include "system/dateiexistenz.h"
#include "system/file_dir_path.h"
#include "tests/host_fixture.h"

namespace merkwandel::testing {
namespace {

using system_helpers::FileExists;
using system_helpers::GetDirPath;
using system_helpers::PathExists;

class FileTestsTest : public HostFixture {
 protected:
  FileTestsTest() {
    MakeHostFolder(Host("Daten/Mozilla"));
    MakeHostFolder(Host("Leer"));
    WriteHostFile(Host("Daten/Mozilla/bookmarks.html"), "x");
    WriteHostFile(Host("Daten/notiz.txt"), "x");
  }
};

struct ExistCase {
  const char* path;
  bool fileExists;
  bool pathExists;
};

class ExistenceTest : public FileTestsTest, public ::testing::WithParamInterface<ExistCase> {};

TEST_P(ExistenceTest, AnswersAsWindows) {
  const auto& c = GetParam();
  EXPECT_EQ(FileExists(files_, c.path), c.fileExists) << c.path;
  EXPECT_EQ(PathExists(files_, c.path), c.pathExists) << c.path;
}

INSTANTIATE_TEST_SUITE_P(
    Paths, ExistenceTest,
    ::testing::Values(
        ExistCase{"C:\\Daten\\Mozilla\\bookmarks.html", true, true},
        ExistCase{"c:\\DATEN\\mozilla\\BOOKMARKS.HTML", true, true},  // letter case is no matter
        ExistCase{"C:\\Daten\\Mozilla", true, true},
        ExistCase{"C:\\Daten\\Mozilla\\", false, true},  // a search for "...\" finds nothing
        ExistCase{"C:\\", false, true},
        ExistCase{"", false, false},
        ExistCase{"C:\\Daten\\fehlt.html", false, false},
        ExistCase{"C:\\Fehlt\\bookmarks.html", false, false},
        ExistCase{"Q:\\Daten", false, false},  // a drive that does not exist
        ExistCase{"C:\\Daten\\Mozilla\\*.html", true, false},
        ExistCase{"C:\\Daten\\*.html", false, false},
        ExistCase{"C:\\Leer\\*", true, false},  // "." and ".." fit
        ExistCase{"C:\\Daten\\Mozilla\\bookmarks.htm?", true, false},
        ExistCase{"C:\\Dat*\\Mozilla", false, false},  // wildcards only in the last part
        ExistCase{"C:\\Daten\\notiz.txt\\", false, false},
        ExistCase{"C:\\Daten\\a|b", false, false}));

TEST_F(FileTestsTest, PathExistsKeepsTheWholeAttributeWord) {
  // Folders kept by cloud storage carry attribute bits from 0x8000 up.
  class HighBits : public platform::FileSystem {
   public:
    bool SearchFindsEntry(const std::string&) override { return false; }
    std::optional<std::uint32_t> Attributes(const std::string&) override { return 0x00480010; }
    bool MakeSureDirectoryPathExists(const std::string&) override { return false; }
    std::optional<std::vector<std::string>> ListSubfolders(const std::string&) override { return {}; }
    std::optional<std::vector<std::string>> ListFiles(const std::string&) override { return {}; }
    std::unique_ptr<platform::InputFile> OpenForReading(const std::string&) override { return nullptr; }
    bool WriteWholeFile(const std::string&, std::string_view) override { return false; }
    std::string CurrentDirectory() override { return {}; }
    std::optional<std::string> MakeTemporaryFolder() override { return {}; }
    bool CopySharedFile(const std::string&, const std::string&) override { return false; }
    bool RemoveFolderAndFiles(const std::string&) override { return false; }
  } highBits;
  EXPECT_TRUE(PathExists(highBits, "C:\\OneDrive"));
}

TEST_F(FileTestsTest, AttributesOfHiddenAndReadOnlyEntries) {
  WriteHostFile(Host("Daten/.versteckt"), "x");
  WriteHostFile(Host("Daten/fest.url"), "x");
  ::chmod(Host("Daten/fest.url").c_str(), 0444);
  EXPECT_EQ(files_.Attributes("C:\\Daten\\.versteckt"), platform::kAttributeHidden | platform::kAttributeArchive);
  EXPECT_EQ(files_.Attributes("C:\\Daten\\fest.url"), platform::kAttributeReadOnly | platform::kAttributeArchive);
  EXPECT_EQ(files_.Attributes("C:\\Daten"), platform::kAttributeDirectory);
}

struct DirPathCase {
  const char* path;
  const char* folder;
};

class GetDirPathTest : public ::testing::TestWithParam<DirPathCase> {};

TEST_P(GetDirPathTest, KeepsEverythingUpToTheLastBackslash) {
  EXPECT_EQ(GetDirPath(GetParam().path), GetParam().folder);
}

INSTANTIATE_TEST_SUITE_P(
    Paths, GetDirPathTest,
    ::testing::Values(DirPathCase{"C:\\Daten\\Mozilla\\bookmarks.html", "C:\\Daten\\Mozilla\\"},
                      DirPathCase{"C:\\Daten\\", "C:\\Daten\\"},
                      DirPathCase{"bookmarks.html", ""}, DirPathCase{"", ""},
                      DirPathCase{"\\\\server\\freigabe\\datei.html", "\\\\server\\freigabe\\"},
                      DirPathCase{"C:/Daten/datei.html", ""},
                      DirPathCase{"C:\\a/b\\c/d.html", "C:\\a/b\\"}));

}  // namespace
}  // namespace merkwandel::testing
