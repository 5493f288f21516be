// The Win32 file operations on real folders, with names in several scripts:
// the existence tests, folder creation, replacing files without losing
// them, listings, reading, and the private snapshot of a file that another
// program holds open.
#include <algorithm>
#include <optional>

#include "platform/win32/handles.h"
#include "platform/win32/tests/win32_fixture.h"
#include "platform/win32/wide.h"
#include "system/dateiexistenz.h"
#include "system/file_dir_path.h"

namespace merkwandel::testing {
namespace {

using platform::win32::KernelHandle;
using platform::win32::Wide;

class FileTestsTest : public Win32Fixture {
 protected:
  FileTestsTest() {
    MakeFolder(At("Daten"));
    MakeFolder(At("Daten\\Mozilla"));
    MakeFolder(At("Daten\\Закладки Łódź"));
    MakeFolder(At("Leer"));
    MakeFile(At("Daten\\Mozilla\\bookmarks.html"), "x");
    MakeFile(At("Daten\\Закладки Łódź\\書籤 😀.html"), "x");
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
                      ExistCase{"@\\Daten\\Закладки Łódź\\書籤 😀.html", true, true},
                      ExistCase{"@\\DATEN\\ЗАКЛАДКИ ŁÓDŹ\\書籤 😀.HTML", true, true},
                      ExistCase{"@\\Daten\\Закладки Łódź\\*.html", true, false},
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
  const std::string file = At("Daten\\Закладки Łódź\\書籤 😀.html");
  const std::string folder = system_helpers::GetDirPath(file);
  EXPECT_EQ(folder, At("Daten\\Закладки Łódź\\"));
  EXPECT_TRUE(system_helpers::PathExists(files_, folder));
  EXPECT_FALSE(system_helpers::FileExists(files_, folder));
}

TEST_F(FileTestsTest, AttributesOfHiddenFilesAndFolders) {
  MakeFile(At("Daten\\κρυφό.url"), "x", FILE_ATTRIBUTE_HIDDEN);
  const auto hidden = files_.Attributes(At("Daten\\κρυφό.url"));
  ASSERT_TRUE(hidden.has_value());
  EXPECT_TRUE(*hidden & platform::kAttributeHidden);
  const auto folder = files_.Attributes(At("Daten\\Закладки Łódź"));
  ASSERT_TRUE(folder.has_value());
  EXPECT_TRUE(*folder & platform::kAttributeDirectory);
  EXPECT_FALSE(files_.Attributes(At("Daten\\*")).has_value());
}

class Win32FileSystemTest : public Win32Fixture {};

TEST_F(Win32FileSystemTest, MakeSureDirectoryPathExistsCreatesTheChain) {
  // A doubled "\" as a run gives when the folder's text already ends in one.
  EXPECT_TRUE(files_.MakeSureDirectoryPathExists(At("Избранное ✓\\b\\\\c\\")));
  EXPECT_EQ(NamesIn(At("Избранное ✓\\b")), std::vector<std::string>{"c"});
  EXPECT_TRUE(files_.MakeSureDirectoryPathExists(At("Избранное ✓\\b\\c\\")));  // already there
  // Without a trailing "\" the last part names a file and is not made.
  EXPECT_TRUE(files_.MakeSureDirectoryPathExists(At("x\\y")));
  EXPECT_EQ(NamesIn(At("x")), std::vector<std::string>{});
  EXPECT_FALSE(files_.MakeSureDirectoryPathExists(At("a\\b?\\")));
  // A file where a folder should be is no folder of the chain.
  MakeFile(At("datei"), "x");
  EXPECT_FALSE(files_.MakeSureDirectoryPathExists(At("datei\\")));
  EXPECT_FALSE(files_.MakeSureDirectoryPathExists(At("datei\\unter\\")));
}

struct LengthCase {
  const char* letter;  // one character, repeated to make the long path
  std::size_t units;   // the path's length in UTF-16 units
  bool made;
};
class FolderLengthTest : public Win32FileSystemTest,
                         public ::testing::WithParamInterface<LengthCase> {};

// MAX_PATH counts UTF-16 units: a Cyrillic letter takes two bytes, an emoji
// four bytes and two units. A folder that can't be made fails the chain
// after the folders before it were made.
TEST_P(FolderLengthTest, CountsUtf16Units) {
  const auto& c = GetParam();
  const std::string fits = At("kurz") + "\\";
  // Folders of 20 letters: a name on Linux has at most 255 bytes.
  std::string path = fits;
  const std::size_t letter = unicode::Utf16Length(c.letter);
  for (int letters = 0; unicode::Utf16Length(path) + letter < c.units; ++letters) {
    if (letters % 20 == 19) path += "\\";
    path += c.letter;
  }
  EXPECT_EQ(files_.MakeSureDirectoryPathExists(path + "\\ende\\"), c.made);
  EXPECT_EQ(files_.Attributes(path + "\\ende").has_value(), c.made);
  EXPECT_TRUE(files_.Attributes(fits).has_value());
}

INSTANTIATE_TEST_SUITE_P(Names, FolderLengthTest,
                         ::testing::Values(LengthCase{"я", 200, true}, LengthCase{"😀", 200, true},
                                           LengthCase{"x", 260, false}, LengthCase{"я", 300, false},
                                           LengthCase{"😀", 300, false}, LengthCase{"x", 1000, false}));

TEST_F(Win32FileSystemTest, WritesNewFilesByteForByteUnderTheirNames) {
  const std::string content = "[InternetShortcut]\r\nURL=http://a.example/\xE4\r\n";
  const std::vector<std::string> names = {
      "Bücher.url",   "Twitter ⇒ News ▶.url", "Твіттер. Все, що актуально..url", "Ελληνικά.url",
      "עברית.url", "書籤.url", "Smile 😀.url"};
  for (const auto& name : names) ASSERT_TRUE(files_.WriteWholeFile(At(name), content)) << name;
  auto sorted = names;
  std::sort(sorted.begin(), sorted.end());
  EXPECT_EQ(NamesIn(root_), sorted);
  for (const auto& name : names) EXPECT_EQ(ReadFileBytes(At(name)), content) << name;
}

struct ReplaceCase {
  const char* existing;
  const char* written;
};
class ReplaceTest : public Win32FileSystemTest, public ::testing::WithParamInterface<ReplaceCase> {};

// The file system itself finds the file under another letter case.
TEST_P(ReplaceTest, ReplacesTheFileAndKeepsItsName) {
  MakeFile(At(GetParam().existing), "alt, und länger als das Neue");
  ASSERT_TRUE(files_.WriteWholeFile(At(GetParam().written), "neu"));
  EXPECT_EQ(NamesIn(root_), std::vector<std::string>{GetParam().existing});
  EXPECT_EQ(ReadFileBytes(At(GetParam().existing)), "neu");
}

INSTANTIATE_TEST_SUITE_P(Names, ReplaceTest,
                         ::testing::Values(ReplaceCase{"Foo.url", "FOO.url"},
                                           ReplaceCase{"твіттер.url", "ТВІТТЕР.url"},
                                           ReplaceCase{"Łódź σελίδα.url", "ŁÓDŹ ΣΕΛΊΔΑ.url"}));

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
    KernelHandle held(CreateFileW(Wide(At("offen.url")).c_str(), GENERIC_READ | GENERIC_WRITE, 0,
                                  nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
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
  MakeFolder(At("Избранное ✓"));
  MakeFolder(At("Избранное ✓\\Unterordner"));
  MakeFile(At("Избранное ✓\\a.url"), "");
  MakeFile(At("Избранное ✓\\書籤 😀.url"), "", FILE_ATTRIBUTE_HIDDEN);
  MakeFile(At("Избранное ✓\\system.ini"), "", FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_HIDDEN);
  MakeFile(At("Избранное ✓\\fest.url"), "", FILE_ATTRIBUTE_READONLY);
  for (const std::string& folder : {At("Избранное ✓"), At("Избранное ✓\\")}) {
    auto listedFiles = files_.ListFiles(folder);
    auto listedFolders = files_.ListSubfolders(folder);
    ASSERT_TRUE(listedFiles && listedFolders) << folder;
    std::sort(listedFiles->begin(), listedFiles->end());
    EXPECT_EQ(*listedFiles,
              (std::vector<std::string>{"a.url", "fest.url", "system.ini", "書籤 😀.url"}));
    EXPECT_EQ(*listedFolders, std::vector<std::string>{"Unterordner"});
  }
  const auto empty = files_.ListFiles(At("Избранное ✓\\Unterordner"));
  ASSERT_TRUE(empty.has_value());
  EXPECT_TRUE(empty->empty());
  EXPECT_FALSE(files_.ListFiles(At("fehlt")).has_value());
  EXPECT_FALSE(files_.ListFiles(At("Избранное ✓\\a.url")).has_value());
  EXPECT_FALSE(files_.ListSubfolders("").has_value());
}

TEST_F(Win32FileSystemTest, ReadsFilesButNotFoldersOrPatterns) {
  MakeFolder(At("Закладки Łódź"));
  MakeFile(At("Закладки Łódź\\datei.html"), std::string("abc\0def\r\n", 9));
  auto file = files_.OpenForReading(At("ЗАКЛАДКИ ŁÓDŹ\\DATEI.html"));
  ASSERT_NE(file, nullptr);
  char buffer[16];
  EXPECT_EQ(file->Read(buffer, sizeof buffer), 9);
  EXPECT_EQ(std::string(buffer, 9), std::string("abc\0def\r\n", 9));
  EXPECT_EQ(file->Read(buffer, sizeof buffer), 0);
  EXPECT_EQ(files_.OpenForReading(At("Закладки Łódź")), nullptr);
  EXPECT_EQ(files_.OpenForReading(At("Закладки Łódź\\*.html")), nullptr);
  EXPECT_EQ(files_.OpenForReading(At("fehlt.html")), nullptr);
}

TEST_F(Win32FileSystemTest, TheCurrentDirectoryHasNoTrailingBackslashButARootDoes) {
  MakeFolder(At("Закладки Łódź"));
  wchar_t before[MAX_PATH + 1];
  ASSERT_NE(GetCurrentDirectoryW(MAX_PATH + 1, before), 0u);
  ASSERT_TRUE(SetCurrentDirectoryW(Wide(At("Закладки Łódź\\")).c_str()));
  const std::string inside = files_.CurrentDirectory();
  ASSERT_TRUE(SetCurrentDirectoryW(L"C:\\"));
  const std::string root = files_.CurrentDirectory();
  SetCurrentDirectoryW(before);
  EXPECT_EQ(unicode::UpperCaseKey(inside), unicode::UpperCaseKey(At("Закладки Łódź")));
  EXPECT_EQ(root, "C:\\");
}

// ---- The private snapshot of a file another program holds open ----

TEST_F(Win32FileSystemTest, ATemporaryFolderIsNewAndGoesWithItsFiles) {
  const auto first = files_.MakeTemporaryFolder();
  const auto second = files_.MakeTemporaryFolder();
  ASSERT_TRUE(first && second);
  EXPECT_NE(*first, *second);
  // Beside the test's own folder, among the temporary files.
  EXPECT_EQ(system_helpers::GetDirPath(*first), system_helpers::GetDirPath(root_));
  EXPECT_TRUE(NamesIn(*first).empty());
  MakeFile(*first + "\\places.sqlite", "x");
  MakeFile(*first + "\\places.sqlite-wal", "x", FILE_ATTRIBUTE_READONLY);
  EXPECT_TRUE(files_.RemoveFolderAndFiles(*first));
  EXPECT_FALSE(files_.Attributes(*first).has_value());
  // A subfolder is not looked into: its folder stays.
  MakeFolder(*second + "\\unter");
  EXPECT_FALSE(files_.RemoveFolderAndFiles(*second));
  EXPECT_EQ(NamesIn(*second), std::vector<std::string>{"unter"});
  RemoveTree(*second);
}

// Another process holds a file open for reading and writing (merkwandel-hold,
// built beside this test), letting others read and write it or not.
class HeldByAnotherProcess {
 public:
  HeldByAnotherProcess(const std::string& path, bool share) {
    wchar_t self[MAX_PATH];
    const DWORD length = GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring program(self, length);
    program.erase(program.find_last_of(L'\\') + 1);
    program += L"merkwandel-hold.exe";
    std::wstring line = L"merkwandel-hold " + std::wstring(share ? L"--share \"" : L"\"") +
                        Wide(path) + L"\" 60";
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE read = nullptr;
    HANDLE write = nullptr;
    if (!CreatePipe(&read, &write, &inherit, 0)) return;
    KernelHandle reader(read);
    KernelHandle writer(write);
    SetHandleInformation(read, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = write;
    PROCESS_INFORMATION started{};
    if (!CreateProcessW(program.c_str(), line.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                        &startup, &started)) {
      return;
    }
    process_.Reset(started.hProcess);
    CloseHandle(started.hThread);
    writer.Reset();
    // It says "held" once it has the file (or ends without).
    char said[8] = {};
    DWORD got = 0;
    held_ = ReadFile(reader.get(), said, 4, &got, nullptr) && std::string(said, got) == "held";
  }
  ~HeldByAnotherProcess() {
    if (!process_) return;
    TerminateProcess(process_.get(), 0);
    WaitForSingleObject(process_.get(), 5000);
  }
  HeldByAnotherProcess(const HeldByAnotherProcess&) = delete;
  HeldByAnotherProcess& operator=(const HeldByAnotherProcess&) = delete;
  bool held() const { return held_; }

 private:
  KernelHandle process_;
  bool held_ = false;
};

enum class Source { kHeldSharing, kHeldAlone, kMissing };
struct CopyCase {
  const char* name;
  Source source;
  bool targetThere;  // a file of the target's name exists already
  bool copied;
};
void PrintTo(const CopyCase& c, std::ostream* os) { *os << c.name; }

class CopySharedTest : public Win32FileSystemTest, public ::testing::WithParamInterface<CopyCase> {};

TEST_P(CopySharedTest, CopiesWhatOthersLetItReadIntoANewFileOnly) {
  const auto& c = GetParam();
  const std::string data(std::string("SQLite format 3\0\x01\xFF", 19) + std::string(70000, 'p'));
  MakeFolder(At("Profil Łódź"));
  MakeFolder(At("Schnappschuss ✓"));
  const std::string from = At("Profil Łódź\\places.sqlite");
  const std::string to = At("Schnappschuss ✓\\places.sqlite");
  if (c.source != Source::kMissing) MakeFile(from, data);
  if (c.targetThere) MakeFile(to, "alt");
  {
    std::optional<HeldByAnotherProcess> holder;
    if (c.source != Source::kMissing) {
      holder.emplace(from, c.source == Source::kHeldSharing);
      ASSERT_TRUE(holder->held());
    }
    EXPECT_EQ(files_.CopySharedFile(from, to), c.copied);
  }
  const std::string expected = c.copied ? data : c.targetThere ? "alt" : "<missing>";
  EXPECT_EQ(ReadFileBytes(to), expected);
  EXPECT_EQ(NamesIn(At("Schnappschuss ✓")).size(), expected == "<missing>" ? 0u : 1u);
  if (c.source != Source::kMissing) {
    EXPECT_EQ(ReadFileBytes(from), data);  // as it was
  }
}

INSTANTIATE_TEST_SUITE_P(
    Sources, CopySharedTest,
    ::testing::Values(CopyCase{"HeldForWritingBySharingProgram", Source::kHeldSharing, false, true},
                      CopyCase{"HeldWithoutSharing", Source::kHeldAlone, false, false},
                      CopyCase{"TargetThereAlready", Source::kHeldSharing, true, false},
                      CopyCase{"SourceMissing", Source::kMissing, false, false}),
    [](const auto& param) { return std::string(param.param.name); });

}  // namespace
}  // namespace merkwandel::testing
