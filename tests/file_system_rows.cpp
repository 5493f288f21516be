// The rows of tests/file_system_rows.h. "@" in a row stands for the test's
// folder. A row that only Windows can run (a file held open by another
// program) is skipped on the host, and says so.
#include "tests/file_system_rows.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <fstream>
#include <iterator>
#include <optional>
#include <vector>

#include "platform/common/unicode.h"
#include "system/dateiexistenz.h"

namespace merkwandel::testing {
namespace {

namespace fs = std::filesystem;
using namespace std::string_literals;
using Entries = std::vector<std::string>;
constexpr std::uint32_t R = platform::kAttributeReadOnly;
constexpr std::uint32_t H = platform::kAttributeHidden;
constexpr std::uint32_t D = platform::kAttributeDirectory;

// The backend's folder, laid out and read back beside it; removed with all
// it holds when the disk goes.
class TestDisk {
 public:
  ~TestDisk() {
    fs::current_path(directory_);
    Remove(Root());
  }
  platform::FileSystem& Files() { return backend_->Files(); }
  std::string Root() { return backend_->Root(); }
  void Folder(const std::string& path) { EXPECT_TRUE(fs::create_directory(backend_->Local(path))) << path; }
  void File(const std::string& path, const std::string& bytes, std::uint32_t attributes = 0) {
    EXPECT_TRUE(std::ofstream(backend_->Local(path), std::ios::binary) << bytes) << path;
    if (attributes != 0) backend_->SetAttributes(path, attributes);
  }
  // Folders ("name\\") and files ("name=content") below the root, as Tree gives them.
  void Lay(const Entries& entries) {
    for (const auto& entry : entries) {
      const auto equals = entry.find('=');
      if (equals == std::string::npos) Folder(Root() + "\\" + entry);
      if (equals != std::string::npos) File(Root() + "\\" + entry.substr(0, equals), entry.substr(equals + 1));
    }
  }
  // Every entry below `folder` by its relative path, sorted: "name\" for a
  // folder, "name=content" for a file.
  Entries Tree(const std::string& folder) {
    Entries entries;
    const fs::path base = backend_->Local(folder);
    for (const auto& entry : fs::recursive_directory_iterator(base)) {
      const auto name = entry.path().lexically_relative(base).generic_u8string();
      std::string text(name.begin(), name.end());
      std::replace(text.begin(), text.end(), '/', '\\');
      std::ifstream in(entry.path(), std::ios::binary);
      entries.push_back(entry.is_directory() ? text + "\\"
                                             : text + "=" + std::string(std::istreambuf_iterator<char>(in), {}));
    }
    std::sort(entries.begin(), entries.end());
    return entries;
  }
  void Remove(const std::string& folder) {
    std::error_code ignored;
    for (fs::recursive_directory_iterator it(backend_->Local(folder), ignored), end; it != end; it.increment(ignored)) {
      fs::permissions(it->path(), fs::perms::owner_write, fs::perm_options::add, ignored);
    }
    fs::remove_all(backend_->Local(folder), ignored);
  }
  void SetWriteTime(const std::string& path, fs::file_time_type time) { fs::last_write_time(backend_->Local(path), time); }
  // Until the disk goes.
  void ChangeDirectory(const std::string& folder) { fs::current_path(backend_->Local(folder)); }
  std::shared_ptr<void> Hold(const std::string& path, bool share) { return backend_->Hold(path, share); }
  // True when the file was there and is gone.
  bool Delete(const std::string& path) {
    std::error_code error;
    return fs::remove(backend_->Local(path), error);
  }

 private:
  std::unique_ptr<TestBackend> backend_ = MakeTestBackend();
  fs::path directory_ = fs::current_path();
};

std::string Expand(TestDisk& disk, std::string path) {
  if (const auto at = path.find('@'); at != std::string::npos) path.replace(at, 1, disk.Root());
  return path;
}

class FileSystemRows : public ::testing::Test {
 protected:
  std::string At(const std::string& relative) { return disk_->Root() + "\\" + relative; }
  platform::FileSystem& files() { return disk_->Files(); }
  std::unique_ptr<TestDisk> disk_ = std::make_unique<TestDisk>();
};

template <typename Row>
class Rows : public FileSystemRows, public ::testing::WithParamInterface<Row> {};
template <typename Row>
std::string RowName(const ::testing::TestParamInfo<Row>& info) { return info.param.name; }

// ---- The search and the attribute query (FileExists, PathExists) ----

struct ExistenceRow {
  const char* name;
  const char* path;
  bool found;          // a directory search finds an entry
  int attributes;      // read-only, hidden and directory bits; -1: the query fails
};

using Existence = Rows<ExistenceRow>;
TEST_P(Existence, AnswersAsWindows) {
  disk_->Lay({"Daten\\", "Daten\\Mozilla\\", "Daten\\Mozilla\\bookmarks.html=x", "Daten\\Закладки Łódź\\",
               "Daten\\Закладки Łódź\\書籤 😀.html=x", "Daten\\notiz.txt=x", "Leer\\"});
  disk_->File(At("Daten\\.versteckt"), "x", H);
  disk_->File(At("Daten\\fest.url"), "x", R);
  const auto& row = GetParam();
  const std::string path = Expand(*disk_, row.path);
  EXPECT_EQ(system_helpers::FileExists(files(), path), row.found) << path;
  EXPECT_EQ(system_helpers::PathExists(files(), path), row.attributes >= 0) << path;
  // A drive's root may be hidden and system besides.
  const std::uint32_t bits = row.attributes == static_cast<int>(D) ? D : R | H | D;
  const auto attributes = files().Attributes(path);
  EXPECT_EQ(attributes ? static_cast<int>(*attributes & bits) : -1, row.attributes) << path;
}

INSTANTIATE_TEST_SUITE_P(
    Paths, Existence,
    ::testing::Values(
        ExistenceRow{"File", "@\\Daten\\Mozilla\\bookmarks.html", true, 0},
        ExistenceRow{"FileInOtherCase", "@\\DATEN\\mozilla\\BOOKMARKS.HTML", true, 0},
        ExistenceRow{"Scripts", "@\\Daten\\Закладки Łódź\\書籤 😀.html", true, 0},
        ExistenceRow{"ScriptsInOtherCase", "@\\DATEN\\ЗАКЛАДКИ ŁÓDŹ\\書籤 😀.HTML", true, 0},
        ExistenceRow{"Hidden", "@\\Daten\\.versteckt", true, H},
        ExistenceRow{"ReadOnly", "@\\Daten\\fest.url", true, R},
        ExistenceRow{"Folder", "@\\Daten\\Mozilla", true, D},
        ExistenceRow{"FolderWithBackslash", "@\\daten\\MOZILLA\\", false, D},
        ExistenceRow{"DriveRoot", "C:\\", false, D},
        ExistenceRow{"Empty", "", false, -1},
        ExistenceRow{"Missing", "@\\Daten\\fehlt.html", false, -1},
        ExistenceRow{"MissingFolder", "@\\Fehlt\\bookmarks.html", false, -1},
        ExistenceRow{"MissingDrive", "Q:\\Daten", false, -1},
        ExistenceRow{"PatternThatFits", "@\\Daten\\Mozilla\\*.html", true, -1},
        ExistenceRow{"PatternInScripts", "@\\Daten\\Закладки Łódź\\*.html", true, -1},
        ExistenceRow{"PatternThatDoesNotFit", "@\\Daten\\*.html", false, -1},
        ExistenceRow{"PatternInEmptyFolder", "@\\Leer\\*", true, -1},
        ExistenceRow{"QuestionMark", "@\\Daten\\Mozilla\\bookmarks.htm?", true, -1},
        ExistenceRow{"PatternInFolderPart", "@\\Dat*\\Mozilla", false, -1},
        ExistenceRow{"FileWithBackslash", "@\\Daten\\notiz.txt\\", false, -1},
        ExistenceRow{"InvalidName", "@\\Daten\\a|b", false, -1}),
    RowName<ExistenceRow>);

TEST_F(FileSystemRows, TheLastWriteTimeCountsAsWindowsDoes) {
  disk_->Lay({"Profil Łódź\\", "Profil Łódź\\Bookmarks=x"});
  const auto anHourAgo = fs::file_time_type::clock::now() - std::chrono::hours(1);
  // An hour ago in 100 ns since 1601; 11644473600 seconds lie between 1601 and 1970.
  const auto expected = std::chrono::duration_cast<std::chrono::seconds>(
                            std::chrono::system_clock::now().time_since_epoch() - std::chrono::hours(1)).count() +
                        11644473600;
  disk_->SetWriteTime(At("Profil Łódź\\Bookmarks"), anHourAgo);
  const auto before = files().LastWriteTime(At("PROFIL ŁÓDŹ\\bookmarks"));
  ASSERT_TRUE(before.has_value());
  EXPECT_NEAR(static_cast<double>(*before / 10000000), static_cast<double>(expected), 60);
  // Whole seconds: mingw's library sets no fractions.
  disk_->SetWriteTime(At("Profil Łódź\\Bookmarks"), anHourAgo + std::chrono::seconds(90));
  EXPECT_EQ(files().LastWriteTime(At("Profil Łódź\\Bookmarks")), *before + 900000000);
  for (const char* path : {"fehlt", "Profil Łódź\\B*", "Profil Łódź\\Bookmarks\\"}) {
    EXPECT_EQ(files().LastWriteTime(At(path)), std::nullopt) << path;
  }
}

// ---- The folder chain (MakeSureDirectoryPathExists) ----

struct ChainRow {
  const char* name;
  const char* path;
  bool made;
  Entries added;  // to the test's folder
};

using FolderChain = Rows<ChainRow>;
TEST_P(FolderChain, MakesEveryFolderUpToTheLastBackslash) {
  disk_->Lay({"Da\\", "Da\\b\\", "datei=x"});
  const auto& row = GetParam();
  EXPECT_EQ(files().MakeSureDirectoryPathExists(Expand(*disk_, row.path)), row.made);
  Entries expected = {"Da\\", "Da\\b\\", "datei=x"};
  expected.insert(expected.end(), row.added.begin(), row.added.end());
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(disk_->Tree(disk_->Root()), expected);
}

INSTANTIATE_TEST_SUITE_P(
    Paths, FolderChain,
    ::testing::Values(
        // A doubled "\", as a run gives when the folder's text ends in one.
        ChainRow{"New", "@\\Избранное ✓\\b\\\\c\\", true, {"Избранное ✓\\", "Избранное ✓\\b\\", "Избранное ✓\\b\\c\\"}},
        ChainRow{"LastPartIsAFileName", "@\\x\\y", true, {"x\\"}},
        ChainRow{"ThereInOtherCase", "@\\DA\\B\\neu\\", true, {"Da\\b\\neu\\"}},
        ChainRow{"ThereAlready", "@\\Da\\b\\", true, {}},
        ChainRow{"InvalidName", "@\\b?\\", false, {}},
        ChainRow{"AFileInTheWay", "@\\datei\\", false, {}},
        ChainRow{"BelowAFile", "@\\datei\\unter\\", false, {}},
        ChainRow{"MissingDrive", "Q:\\a\\", false, {}}),
    RowName<ChainRow>);

// ---- MAX_PATH, counted in UTF-16 units ----

struct LengthRow {
  const char* name;
  const char* letter;  // repeated to make the path long; "x" makes up the rest
  std::size_t units;   // the whole path's length
  bool file;           // a file written; else a folder chain (its "\" not counted)
  bool made;
};

using Length = Rows<LengthRow>;
TEST_P(Length, CountsUtf16Units) {
  const auto& row = GetParam();
  // Folders of 19 letters: a name on Linux has at most 255 bytes.
  const std::string end = row.file ? ".url" : "";
  std::string path = At("Lang");
  for (int letters = 0;; ++letters) {
    const std::string longer = path + (letters % 19 == 0 ? "\\" : "") + row.letter;
    if (unicode::Utf16Length(longer + end) > row.units) break;
    path = longer;
  }
  while (unicode::Utf16Length(path + end) < row.units) path += "x";
  path += row.file ? ".url" : "\\";
  if (row.file) {
    ASSERT_TRUE(files().MakeSureDirectoryPathExists(path.substr(0, path.rfind('\\') + 1)));
    // Twice: the second time as one of a series into the same folder.
    for (int time = 0; time < 2; ++time) EXPECT_EQ(files().WriteWholeFile(path, "x"), row.made) << time;
    EXPECT_EQ(files().SearchFindsEntry(path), row.made);
  } else {
    EXPECT_EQ(files().MakeSureDirectoryPathExists(path), row.made);
    EXPECT_EQ(files().Attributes(path).has_value(), row.made);
    EXPECT_TRUE(files().Attributes(At("Lang")).has_value());  // the folders before it are made
  }
}

INSTANTIATE_TEST_SUITE_P(
    Paths, Length,
    ::testing::Values(LengthRow{"Folder247", "x", 247, false, true}, LengthRow{"Folder248", "x", 248, false, false},
                      LengthRow{"Folder1000", "x", 1000, false, false}, LengthRow{"File259", "x", 259, true, true},
                      LengthRow{"File260", "x", 260, true, false}, LengthRow{"FileEmoji259", "😀", 259, true, true},
                      LengthRow{"FileEmoji260", "😀", 260, true, false},
                      LengthRow{"FolderEmoji247", "😀", 247, false, true},
                      LengthRow{"FolderEmoji248", "😀", 248, false, false}),
    RowName<LengthRow>);

// ---- Writing and replacing a whole file ----

struct WriteRow {
  const char* name;
  const char* existing;      // a file in Ziel with "alt" in it, or null
  std::uint32_t attributes;  // of that file
  bool held;                 // another program holds it open without sharing
  const char* written;
  bool ok;
  const char* after;  // the one file in Ziel afterwards: what was written, or "alt"; null for none
};

using Write = Rows<WriteRow>;
// Each row twice: as the first write, and as one of a series into the same
// folder (the existing file made in between).
TEST_P(Write, WritesTheWholeFileOrNothing) {
  const auto& row = GetParam();
  const std::string content = "[InternetShortcut]\r\nURL=http://a.example/\xE4\r\n";
  for (const bool series : {false, true}) {
    SCOPED_TRACE(series ? "in a series" : "first write");
    auto disk = series ? std::make_unique<TestDisk>() : std::move(disk_);
    const std::string written = Expand(*disk, row.written);
    const std::string existing = disk->Root() + "\\Ziel\\" + (row.existing ? row.existing : "");
    disk->Folder(disk->Root() + "\\Ziel");
    if (series) disk->Files().WriteWholeFile(written.substr(0, written.rfind('\\') + 1) + "vorher.url", "x");
    if (row.existing != nullptr) disk->File(existing, "alt", row.attributes);
    std::shared_ptr<void> holder;
    if (row.held && !(holder = disk->Hold(existing, false))) GTEST_SKIP() << "only Windows holds files open so";
    EXPECT_EQ(disk->Files().WriteWholeFile(written, content), row.ok) << written;
    holder.reset();
    Entries after = disk->Tree(disk->Root());
    std::erase_if(after, [](const std::string& entry) { return entry.ends_with("vorher.url=x"); });
    Entries expected = {"Ziel\\"};
    if (row.after != nullptr) expected.push_back("Ziel\\"s + row.after + "=" + (row.ok ? content : "alt"));
    EXPECT_EQ(after, expected);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Names, Write,
    ::testing::Values(
        WriteRow{"Latin", nullptr, 0, false, "@\\Ziel\\Bücher ⇒ News ▶.url", true, "Bücher ⇒ News ▶.url"},
        WriteRow{"Cyrillic", nullptr, 0, false, "@\\Ziel\\Твіттер. Все..url", true, "Твіттер. Все..url"},
        WriteRow{"Scripts", nullptr, 0, false, "@\\Ziel\\Ελληνικά עברית 書籤 😀.url", true, "Ελληνικά עברית 書籤 😀.url"},
        // A file there under another letter case is the same file and keeps its name.
        WriteRow{"Replaced", "Foo.url", 0, false, "@\\Ziel\\FOO.url", true, "Foo.url"},
        WriteRow{"ReplacedUmlaut", "ärger.url", 0, false, "@\\Ziel\\ÄRGER.url", true, "ärger.url"},
        WriteRow{"ReplacedCyrillic", "твіттер.url", 0, false, "@\\Ziel\\ТВІТТЕР.url", true, "твіттер.url"},
        WriteRow{"ReplacedScripts", "Łódź σελίδα.url", 0, false, "@\\Ziel\\ŁÓDŹ ΣΕΛΊΔΑ.url", true, "Łódź σελίδα.url"},
        WriteRow{"ReadOnly", "fest.url", R, false, "@\\Ziel\\fest.url", false, "fest.url"},
        WriteRow{"HeldWithoutSharing", "offen.url", 0, true, "@\\Ziel\\offen.url", false, "offen.url"},
        WriteRow{"QuestionMark", nullptr, 0, false, "@\\Ziel\\a?b.url", false, nullptr},
        WriteRow{"Asterisk", nullptr, 0, false, "@\\Ziel\\a*.url", false, nullptr},
        WriteRow{"Bar", nullptr, 0, false, "@\\Ziel\\a|b.url", false, nullptr},
        WriteRow{"ControlCharacter", nullptr, 0, false, "@\\Ziel\\a\x01" "b.url", false, nullptr},
        WriteRow{"Device", nullptr, 0, false, "@\\Ziel\\CON.url", false, nullptr},
        WriteRow{"DeviceWithTwoExtensions", nullptr, 0, false, "@\\Ziel\\nul.txt.url", false, nullptr},
        WriteRow{"MissingFolder", nullptr, 0, false, "@\\Ziel\\fehlt\\a.url", false, nullptr},
        WriteRow{"BelowAFile", "datei", 0, false, "@\\Ziel\\DATEI\\a.url", false, "datei"},
        WriteRow{"NoName", nullptr, 0, false, "@\\Ziel\\", false, nullptr},
        WriteRow{"AFolder", nullptr, 0, false, "@\\Ziel", false, nullptr},
        WriteRow{"MissingDrive", nullptr, 0, false, "Q:\\a.url", false, nullptr}),
    RowName<WriteRow>);

TEST_F(FileSystemRows, EachWriteFindsItsFolderAsItIsThen) {
  disk_->Folder(At("Ziel"));
  ASSERT_TRUE(files().WriteWholeFile(At("Ziel\\a.url"), "1"));
  disk_->Remove(At("Ziel"));
  EXPECT_FALSE(files().WriteWholeFile(At("Ziel\\b.url"), "2"));
  disk_->Folder(At("ZIEL"));
  EXPECT_TRUE(files().WriteWholeFile(At("Ziel\\c.url"), "3"));
  EXPECT_EQ(disk_->Tree(disk_->Root()), (Entries{"ZIEL\\", "ZIEL\\c.url=3"}));
}

// ---- Listing, reading, the current directory ----

TEST_F(FileSystemRows, ListsEveryFileWhateverItsAttributesAndTheFoldersApart) {
  disk_->Lay({"Избранное ✓\\", "Избранное ✓\\Unterordner\\", "Избранное ✓\\a.url="});
  disk_->File(At("Избранное ✓\\.versteckt.url"), "", H);
  disk_->File(At("Избранное ✓\\.system.ini"), "", H | platform::kAttributeSystem);
  disk_->File(At("Избранное ✓\\fest.url"), "", R);
  for (const std::string& folder : {At("Избранное ✓"), At("ИЗБРАННОЕ ✓\\")}) {
    auto listed = files().ListFiles(folder);
    ASSERT_TRUE(listed.has_value()) << folder;
    std::sort(listed->begin(), listed->end());
    EXPECT_EQ(*listed, (Entries{".system.ini", ".versteckt.url", "a.url", "fest.url"}));
    EXPECT_EQ(files().ListSubfolders(folder), Entries{"Unterordner"});
  }
  EXPECT_EQ(files().ListFiles(At("Избранное ✓\\Unterordner")), Entries{});
  EXPECT_EQ(files().ListSubfolders(At("Избранное ✓\\Unterordner")), Entries{});
  for (const std::string& nothing : {At("fehlt"), At("Избранное ✓\\a.url"), ""s}) {
    EXPECT_FALSE(files().ListFiles(nothing).has_value()) << nothing;
    EXPECT_FALSE(files().ListSubfolders(nothing).has_value()) << nothing;
  }
}

TEST_F(FileSystemRows, ReadsAFileByteForByteButNoFolderPatternOrDevice) {
  const std::string bytes("abc\0def\r\n\xE4", 10);
  disk_->Lay({"Закладки Łódź\\", "Закладки Łódź\\datei.html=" + bytes});
  auto file = files().OpenForReading(At("ЗАКЛАДКИ ŁÓDŹ\\DATEI.html"));
  ASSERT_NE(file, nullptr);
  char buffer[16];
  ASSERT_EQ(file->Read(buffer, sizeof buffer), 10);
  EXPECT_EQ(std::string(buffer, 10), bytes);
  EXPECT_EQ(file->Read(buffer, sizeof buffer), 0);
  file.reset();
  for (const char* path : {"Закладки Łódź", "Закладки Łódź\\*.html", "fehlt.html", "CON", "Закладки Łódź\\COM1"}) {
    EXPECT_EQ(files().OpenForReading(At(path)), nullptr) << path;
  }
  if (const auto holder = disk_->Hold(At("Закладки Łódź\\datei.html"), false)) {
    EXPECT_EQ(files().OpenForReading(At("Закладки Łódź\\datei.html")), nullptr);
  }
  EXPECT_EQ(disk_->Tree(At("Закладки Łódź")), Entries{"datei.html=" + bytes});  // as it was

  // Opened while a program that shares it holds it; deleted while it is
  // read, as a browser replacing its file does (Wine lets no file be
  // replaced while it is open): what is read is the file as it was.
  if (const auto holder = disk_->Hold(At("Закладки Łódź\\datei.html"), true)) {
    EXPECT_NE(files().OpenForReading(At("Закладки Łódź\\datei.html")), nullptr);
  }
  file = files().OpenForReading(At("Закладки Łódź\\datei.html"));
  ASSERT_NE(file, nullptr);
  EXPECT_TRUE(disk_->Delete(At("Закладки Łódź\\datei.html")));
  ASSERT_EQ(file->Read(buffer, sizeof buffer), 10);
  EXPECT_EQ(std::string(buffer, 10), bytes);
}

TEST_F(FileSystemRows, TheCurrentDirectoryEndsInABackslashOnlyAtADriveRoot) {
  disk_->Folder(At("Закладки Łódź"));
  disk_->ChangeDirectory(At("Закладки Łódź\\"));
  EXPECT_EQ(unicode::UpperCaseKey(files().CurrentDirectory()), unicode::UpperCaseKey(At("Закладки Łódź")));
  disk_->ChangeDirectory("C:\\");
  EXPECT_EQ(files().CurrentDirectory(), "C:\\");
}

// ---- The private snapshot of a file another program may hold open ----

TEST_F(FileSystemRows, ATemporaryFolderIsNewAndGoesWithItsFilesOnly) {
  const auto first = files().MakeTemporaryFolder();
  const auto second = files().MakeTemporaryFolder();
  ASSERT_TRUE(first && second);
  EXPECT_NE(*first, *second);
  EXPECT_EQ(disk_->Tree(*first), Entries{});
  disk_->File(*first + "\\places.sqlite", "x");
  disk_->File(*first + "\\places.sqlite-wal", "x", R);
  EXPECT_TRUE(files().RemoveFolderAndFiles(*first));
  EXPECT_FALSE(files().Attributes(*first).has_value());
  disk_->Folder(*second + "\\unter");
  EXPECT_FALSE(files().RemoveFolderAndFiles(*second));
  EXPECT_EQ(disk_->Tree(*second), Entries{"unter\\"});
  disk_->Remove(*second);
}

// A folder left behind by an instance that ended without removing it (its
// backend gone, as a killed process's) goes when the next is made; one that
// a running instance holds stays, as does a folder not made so.
TEST_F(FileSystemRows, ATemporaryFolderLeftBehindGoesWhenTheNextIsMadeButOneInUseStays) {
  auto killed = MakeTestBackend();
  const auto running = MakeTestBackend();
  const auto left = killed->Files().MakeTemporaryFolder();
  const auto used = running->Files().MakeTemporaryFolder();
  ASSERT_TRUE(left && used);
  disk_->File(*left + "\\places.sqlite", "alt");
  disk_->File(*used + "\\places.sqlite", "in Gebrauch");
  const std::string foreign = *left + "-fremd";
  disk_->Folder(foreign);
  killed.reset();
  const auto made = files().MakeTemporaryFolder();
  ASSERT_TRUE(made.has_value());
  EXPECT_FALSE(files().Attributes(*left).has_value());
  EXPECT_EQ(disk_->Tree(*used), Entries{"places.sqlite=in Gebrauch"});
  EXPECT_EQ(disk_->Tree(foreign), Entries{});
  EXPECT_TRUE(running->Files().RemoveFolderAndFiles(*used));
  EXPECT_TRUE(files().RemoveFolderAndFiles(*made));
  disk_->Remove(foreign);
}

enum class Source { kThere, kHeldSharing, kHeldAlone, kMissing };
struct CopyRow {
  const char* name;
  Source source;
  const char* target;  // a file there already ("alt" in it), or null
  bool copied;
};

using CopyShared = Rows<CopyRow>;
TEST_P(CopyShared, CopiesIntoANewFileOnlyAndLeavesTheSourceAsItWas) {
  const auto& row = GetParam();
  const std::string data = "SQLite format 3\0\x01\xFF"s + std::string(70000, 'p');
  const std::string from = At("Profil Łódź\\places.sqlite");
  disk_->Folder(At("Profil Łódź"));
  if (row.source != Source::kMissing) disk_->File(from, data);
  // Into a temporary folder, as the program copies.
  const auto folder = files().MakeTemporaryFolder();
  ASSERT_TRUE(folder.has_value());
  if (row.target != nullptr) disk_->File(*folder + "\\" + row.target, "alt");
  std::shared_ptr<void> holder;
  if (row.source == Source::kHeldSharing || row.source == Source::kHeldAlone) {
    holder = disk_->Hold(from, row.source == Source::kHeldSharing);
    if (!holder) GTEST_SKIP() << "only Windows has files held open by another program";
  }
  EXPECT_EQ(files().CopySharedFile(from, *folder + "\\places.sqlite"), row.copied);
  holder.reset();
  const Entries copy = row.copied ? Entries{"places.sqlite=" + data}
                       : row.target ? Entries{row.target + "=alt"s} : Entries{};
  EXPECT_EQ(disk_->Tree(*folder), copy);
  EXPECT_TRUE(files().RemoveFolderAndFiles(*folder));
  Entries source = {"Profil Łódź\\"};
  if (row.source != Source::kMissing) source.push_back("Profil Łódź\\places.sqlite=" + data);
  EXPECT_EQ(disk_->Tree(disk_->Root()), source);
}

INSTANTIATE_TEST_SUITE_P(
    Sources, CopyShared,
    ::testing::Values(CopyRow{"There", Source::kThere, nullptr, true},
                      CopyRow{"HeldBySharingProgram", Source::kHeldSharing, nullptr, true},
                      CopyRow{"HeldWithoutSharing", Source::kHeldAlone, nullptr, false},
                      CopyRow{"TargetThereInOtherCase", Source::kThere, "PLACES.SQLITE", false},
                      CopyRow{"Missing", Source::kMissing, nullptr, false}),
    RowName<CopyRow>);

}  // namespace
}  // namespace merkwandel::testing
