// PathExists on an attribute word beyond 16 bits, and GetDirPath. What the
// file system answers is in the shared rows (tests/file_system_rows.cpp).
#include <gtest/gtest.h>

#include "system/dateiexistenz.h"
#include "system/file_dir_path.h"

namespace merkwandel::testing {
namespace {

TEST(PathExistsTest, KeepsTheWholeAttributeWord) {
  // Folders kept by cloud storage carry attribute bits from 0x8000 up.
  class HighBits : public platform::FileSystem {
   public:
    bool SearchFindsEntry(const std::string&) override { return false; }
    std::optional<std::uint32_t> Attributes(const std::string&) override { return 0x00480010; }
    std::optional<std::int64_t> LastWriteTime(const std::string&) override { return {}; }
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
  EXPECT_TRUE(system_helpers::PathExists(highBits, "C:\\OneDrive"));
}

struct DirPathCase {
  const char* path;
  const char* folder;
};

class GetDirPathTest : public ::testing::TestWithParam<DirPathCase> {};

TEST_P(GetDirPathTest, KeepsEverythingUpToTheLastBackslash) {
  EXPECT_EQ(system_helpers::GetDirPath(GetParam().path), GetParam().folder);
}

INSTANTIATE_TEST_SUITE_P(
    Paths, GetDirPathTest,
    ::testing::Values(DirPathCase{"C:\\Daten\\Mozilla\\bookmarks.html", "C:\\Daten\\Mozilla\\"},
                      DirPathCase{"C:\\Daten\\", "C:\\Daten\\"}, DirPathCase{"bookmarks.html", ""}, DirPathCase{"", ""},
                      DirPathCase{"\\\\server\\freigabe\\datei.html", "\\\\server\\freigabe\\"},
                      DirPathCase{"C:/Daten/datei.html", ""}, DirPathCase{"C:\\a/b\\c/d.html", "C:\\a/b\\"},
                      DirPathCase{"C:\\Закладки Łódź\\書籤 😀.html", "C:\\Закладки Łódź\\"}));

}  // namespace
}  // namespace merkwandel::testing
