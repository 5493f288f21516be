// The conversion run, whatever file the user points at and whatever the
// disk does: the messages, each shown with the window idle and titled
// " Merkwandel"; Explorer on the target folder after the report; the run
// ends idle, writes nothing outside the target folder and loses no file that
// was there. Each row: the input or fault, what the user sees, what is on
// disk afterwards.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <optional>
#include <random>
#include <utility>

#include "conversion/conversion_run.h"
#include "tests/allocation_limit.h"
#include "tests/conversion_fixture.h"
#include "tests/places_fixture.h"

namespace merkwandel::testing {
namespace {

using platform::MessageIcon;
namespace fs = std::filesystem;

class BadInputFixture : public ConversionFixture {
 public:
  using ConversionFixture::files_;
  using ConversionFixture::ui_;
  // Every file below drive C: but the bookmark and target folders, with its content.
  std::map<std::string, std::string> Surroundings() const {
    std::map<std::string, std::string> seen;
    for (auto it = fs::recursive_directory_iterator(temp_.path()); it != fs::recursive_directory_iterator(); ++it) {
      const std::string relative = fs::relative(it->path(), temp_.path()).string();
      if (relative == "Favoriten" || relative == "Lesezeichen") {
        it.disable_recursion_pending();
        continue;
      }
      seen[relative] = it->is_regular_file() ? ReadHostFile(it->path().string()) : "<folder>";
    }
    return seen;
  }
  std::string HostOf(const std::string& relative) const { return Host(relative); }
  std::string SourceHost() const { return Host("Lesezeichen/bookmarks.html"); }
  // Replaces the bookmark file, which holds two bookmarks unless a row says otherwise.
  void WriteSource(const std::string& bytes) { WriteHostFile(SourceHost(), bytes); }
  // A database as the bookmark file, whatever its name says.
  void WriteDatabase(const std::string& sql) {
    fs::remove(SourceHost());
    Execute(OpenForWriting(SourceHost()).get(), sql);
  }
  void Source(const std::string& path) { root_.SetText(app::Field::tHypertext, path); }
  void Target(const std::string& path) { root_.SetText(app::Field::tFavoriten, path); }
  // The run gets at most `bytes` of memory beyond what is held when it starts.
  void LimitMemory(std::size_t bytes) { memoryLimit_ = bytes; }
  std::size_t memoryLimit_ = 0;
  // Among the surroundings: what a run leaves among its temporary files.
  const TemporaryFilesIn temporary_{Host("Temp")};
};

std::string TwoBookmarks(const std::string& between = "") {
  return ExportFile({BookmarkLine("http://a.example/", "Eins"), between, BookmarkLine("http://b.example/", "Zwei")});
}

struct Row {
  const char* name;
  // Lays out the row's files and faults; may change the two fields.
  std::function<void(BadInputFixture&)> setUp;
  // The messages, as "w:", "e:" or "i:" + text.
  std::vector<std::string> seen;
  // The target folder's files afterwards (name -> content, "*" for any,
  // "<folder>" for a folder); kNoFolder when there is no such folder.
  std::map<std::string, std::string> onDisk;
  // Instead of the two above, for rows whose outcome is a range.
  std::function<void(const std::vector<std::string>& seen, const std::map<std::string, std::string>& onDisk)>
      check = nullptr;
  friend void PrintTo(const Row& row, std::ostream* os) { *os << row.name; }
};
const std::map<std::string, std::string> kNoFolder = {{"<no folder>", ""}};

std::string W(const std::string& t) { return "w:" + t; }
std::string Shortcut(const std::string& url) { return "[InternetShortcut]\r\nURL=" + url + "\r\n"; }
const std::string kL43(43, 'L');
std::string E(const std::string& t) { return "e:" + t; }
std::string I(std::size_t n) {
  return "i:Es wurden " + std::to_string(n) + " Favoriten aus der Firefox Lesezeichendatei exportiert.    ";
}

class BadInputTest : public BadInputFixture, public ::testing::WithParamInterface<Row> {};

TEST_P(BadInputTest, EndsIdleAndLeavesTheRestAlone) {
  WriteHostFile(Host("Daneben.url"), "daneben");
  MakeHostFolder(Host("Andere"));
  WriteHostFile(Host("Andere/bookmarks.html"), TwoBookmarks());
  WriteSource(TwoBookmarks());
  GetParam().setUp(*this);
  const auto before = Surroundings();
  std::string folder = root_.Text(app::Field::tFavoriten);
  if (!folder.ends_with('\\')) folder += '\\';

  // Each message as it is shown, with what is amiss at that moment.
  std::vector<std::string> seen;
  ui_.onMessage = [&](const platform::host::ShownMessage& m) {
    int enabled = 0;
    for (app::Control control : app::kInputControls) enabled += root_.Enabled(control);
    seen.push_back(std::string(m.icon == MessageIcon::kWarning ? "w:" : m.icon == MessageIcon::kError ? "e:" : "i:") +
                   (m.title == " Merkwandel" ? "" : "[title " + m.title + "] ") +
                   (enabled == 5 && ui_.pointer == platform::MousePointer::kDefault ? "" : "[locked] ") +
                   (ui_.startedProcesses.empty() ? "" : "[after Explorer] ") + m.text);
  };
  {
    std::optional<AllocationLimit> limit;  // for the run alone, however it ends
    if (memoryLimit_ != 0) limit.emplace(memoryLimit_);
    conversion::RunConversion(root_);
  }

  // What the folder named in the target field holds afterwards.
  std::map<std::string, std::string> target = kNoFolder;
  if (const auto host = files_.HostPath(root_.Text(app::Field::tFavoriten)); host && fs::is_directory(*host)) {
    target.clear();
    for (const auto& name : HostNames(*host)) {
      const auto path = *host + "/" + name;
      target[name] = fs::is_directory(path) ? "<folder>" : ReadHostFile(path);
    }
  }
  for (const auto& [name, content] : GetParam().onDisk) {
    if (content == "*" && target.count(name)) target[name] = "*";
  }
  if (GetParam().check) {
    GetParam().check(seen, target);
  } else {
    EXPECT_EQ(seen, GetParam().seen);
    EXPECT_EQ(target, GetParam().onDisk);
  }
  // The Windows folder's Explorer by its full path, never one found in the
  // current directory, after a report; the folder unquoted.
  std::vector<platform::host::StartedProcess> explorer;
  if (!seen.empty() && seen.back()[0] == 'i' && !ui_.windowsFolder.empty()) {
    explorer.push_back({"C:\\Windows\\explorer.exe", "Explorer.exe " + folder});
  }
  EXPECT_EQ(ui_.startedProcesses, explorer);
  EXPECT_EQ(Surroundings(), before);
  for (app::Control control : app::kInputControls) EXPECT_TRUE(root_.Enabled(control));
  EXPECT_EQ(ui_.pointer, platform::MousePointer::kDefault);
}

std::string GarbageBytes() {
  std::mt19937 random(20261206);
  std::string bytes(256 * 1024, '\0');
  for (char& c : bytes) c = static_cast<char>(random());
  return bytes;
}

std::string Utf16WithBom(const std::string& ascii) {
  std::string bytes = "\xFF\xFE";
  for (char c : ascii) bytes += std::string{c, '\0'};
  return bytes;
}

// A bookmark whose inline favicon makes it `bytes` long.
std::string WithFavicon(std::size_t bytes) {
  return "<DT><A HREF=\"http://gross.example/\" ICON=\"data:image/png;base64," + std::string(bytes, 'Q') +
         "\">Gross</A>";
}

const std::string kNotFound =
    "Entweder konnte der Zielordner oder die Datei mit Lesezeichen nicht gefunden werden.    ";
const std::string kNotCreated = "Der Zielordner für den Import der Favoriten konnte nicht erstellt werden.    ";

INSTANTIATE_TEST_SUITE_P(
    BookmarkPath, BadInputTest,
    ::testing::Values(
        Row{"Empty", [](auto& f) { f.Source(""); }, {E(kNotFound)}, {}},
        Row{"Folder", [](auto& f) { f.Source("C:\\Andere"); }, {E(kNotFound)}, {}},
        Row{"MatchingWildcard", [](auto& f) { f.Source("C:\\Andere\\*.html"); }, {E(kNotFound)}, {}},
        Row{"MissingDrive", [](auto& f) { f.Source("Q:\\bookmarks.html"); }, {E(kNotFound)}, {}},
        // The missing target folder is made all the same.
        Row{"MissingWhileTheTargetIsMade",
            [](auto& f) {
              f.Source("C:\\fehlt.html");
              f.Target("C:\\Favoriten\\Neu\\Import");
            },
            {E(kNotFound)}, {}},
        Row{"Locked", [](auto& f) { f.files_.openFault = [](const std::string&) { return true; }; },
            {E(kNotFound)}, {}},
        // Firefox holds its database open, letting others read it: a copy is read.
        Row{"DatabaseHeldBySharingProgram",
            [](auto& f) {
              f.WriteDatabase(std::string(kPlacesSchema) + kPlacesRoots +
                              "INSERT INTO moz_places (id, url) VALUES (1, 'http://a.example/');"
                              "INSERT INTO moz_bookmarks (id, type, fk, parent, position, title) VALUES"
                              " (10, 1, 1, 2, 0, 'Eins');");
              f.files_.openFault = [refused = false](const std::string&) mutable {
                return !std::exchange(refused, true);  // the run's own open, not the copy's
              };
            },
            {I(1)}, {{"Eins.url", Shortcut("http://a.example/")}}},
        // Firefox moves its "-wal" into the file and writes on, each time a copy is made.
        Row{"DatabaseTornOnEveryCopy",
            [](auto& f) {
              f.WriteDatabase("PRAGMA journal_mode = WAL;" + std::string(kPlacesSchema) + kPlacesRoots);
              std::shared_ptr<sqlite3> firefox = OpenForWriting(f.SourceHost());
              f.files_.openFault = [&f, firefox, id = 10](const std::string& hostPath) mutable {
                if (hostPath != f.SourceHost()) return false;
                ++id;
                Execute(firefox.get(), "PRAGMA wal_checkpoint(TRUNCATE); INSERT INTO moz_bookmarks (id, type, parent,"
                                       " position) VALUES (" + std::to_string(id) + ", 2, 2, " + std::to_string(id) + ");");
                return false;
              };
            },
            {E(kNotFound)}, {}},
        // The window keeps going while the tree is read before the first
        // bookmark is written; closed meanwhile, the run ends quietly.
        Row{"DatabaseClosedWhileItsTreeIsRead",
            [](auto& f) {
              f.WriteDatabase(std::string(kPlacesSchema) + kPlacesRoots +
                              "WITH RECURSIVE n(value) AS (SELECT 1 UNION ALL SELECT value + 1 FROM n WHERE value < 5000)"
                              " INSERT INTO moz_bookmarks (id, type, fk, parent, position, title)"
                              " SELECT value + 100, 1, 1, 2, value, 'Lesezeichen' FROM n;"
                              "INSERT INTO moz_places (id, url) VALUES (1, 'http://a.example/');");
              f.ui_.onPump = [&f] { return f.ui_.pumps < 2; };  // the run's first pump, at its start, passes
            },
            {}, {}},
        Row{"DatabaseOfAnotherProgram", [](auto& f) { f.WriteDatabase("CREATE TABLE cookies (name TEXT);"); },
            {E(kNotFound)}, {}},
        Row{"DamagedDatabase", [](auto& f) { f.WriteSource(std::string("SQLite format 3\0", 16) + GarbageBytes()); },
            {E(kNotFound)}, {}},
        Row{"ZeroBytes", [](auto& f) { f.WriteSource(""); }, {}, {}},
        Row{"BinaryGarbage", [](auto& f) { f.WriteSource(GarbageBytes()); }, {}, {}},
        Row{"Utf16WithByteOrderMark",
            [](auto& f) { f.WriteSource(Utf16WithBom("<DT><A HREF=\"http://a/\">A</A>\r\n")); }, {}, {}},
        Row{"OneLine200MegabytesWithoutLineEnd",
            [](auto& f) {
              f.WriteSource("");
              ASSERT_EQ(::truncate(f.SourceHost().c_str(), 200 << 20), 0);  // sparse: zero bytes
            },
            {}, {}},
        Row{"SixMegabytesWithoutEndTagInOneMegabyteOfMemory",
            [](auto& f) {
              std::string between;
              for (int i = 0; i < 100000; ++i) between += "<DD>Beschreibung ohne Ende<br>\n";
              for (int i = 0; i < 100000; ++i) between += "<A HREF=\"http://kaputt/\">ohne Ende ";  // one line
              f.WriteSource(TwoBookmarks(between));
              f.LimitMemory(1 << 20);
            },
            {I(2)}, {{"Eins.url", "*"}, {"Zwei.url", "*"}}},
        // All on one line, without line end: each bookmark handed over at once.
        Row{"OneLineOfBookmarksInOneMegabyteOfMemory",
            [](auto& f) {
              std::string line = BookmarkLine("http://a.example/", "Eins");
              for (int i = 0; i < 100000; ++i) line += "<A HREF=\"\">ohne Adresse</A>";
              f.WriteSource(line + BookmarkLine("http://b.example/", "Zwei"));
              f.LimitMemory(1 << 20);
            },
            {I(2)}, {{"Eins.url", "*"}, {"Zwei.url", "*"}}},
        Row{"EntryLongerThan64MiB",
            [](auto& f) {
              f.WriteSource(TwoBookmarks(WithFavicon(65 << 20)));
              f.LimitMemory(112 << 20);  // growing the entry never takes twice its memory
            },
            {I(2)}, {{"Eins.url", "*"}, {"Zwei.url", "*"}}},
        // The text of a string beside "roots" (as sync_metadata) is passed
        // over unread, UTF-8 or not.
        Row{"ChromiumFileWithLongTextBesideRootsInOneMegabyteOfMemory",
            [](auto& f) {
              f.WriteSource(R"({"roots":{"other":{"children":[{"name":"Eins","type":"url","url":"http://a/"}],)"
                            R"("type":"folder"}},"neu":")" + std::string(8 << 20, 'Q') + "\xFF\"}");
              f.LimitMemory(1 << 20);
            },
            {I(1)}, {{"Eins.url", "*"}}},
        Row{"MemoryRunsOut",
            [](auto& f) {
              f.WriteSource(TwoBookmarks(WithFavicon(2 << 20)));
              f.LimitMemory(1 << 20);
            },
            {I(1)}, {{"Eins.url", "*"}}},
        Row{"ReadErrorPartWay",
            [](auto& f) {
              f.WriteSource(BookmarkLine("http://a/", "Vorher") + "\n" + BookmarkLine("http://b/", "Nachher") + "\n");
              f.files_.readFault = [](const std::string&) {
                return std::optional<std::size_t>(BookmarkLine("http://a/", "Vorher").size() + 1);
              };
            },
            {I(1)}, {{"Vorher.url", Shortcut("http://a/")}}},
        Row{"DeletedWhileRead",
            [](auto& f) {
              f.ui_.onPump = [&f] {
                if (f.ui_.pumps == 2) ::unlink(f.SourceHost().c_str());  // once reading has begun
                return true;
              };
            },
            {I(2)}, {{"Eins.url", "*"}, {"Zwei.url", "*"}}},
        Row{"TruncatedWhileRead",
            [](auto& f) {
              std::vector<std::string> entries;
              for (int i = 0; i < 5000; ++i) entries.push_back(BookmarkLine("http://x/", "Lesezeichen " + std::to_string(i)));
              f.WriteSource(ExportFile(entries));
              f.ui_.onPump = [&f] {
                if (f.ui_.pumps == 2) ::truncate(f.SourceHost().c_str(), 0);
                return true;
              };
            },
            {}, {}, [](const auto& seen, const auto& onDisk) {
              // What was read before the cut is written, the rest is missing.
              EXPECT_GT(onDisk.size(), 0u);
              EXPECT_LT(onDisk.size(), 5000u);
              EXPECT_EQ(seen, std::vector<std::string>{I(onDisk.size())});
              for (const auto& [name, content] : onDisk) EXPECT_TRUE(name.starts_with("Lesezeichen ")) << name;
            }}),
    [](const auto& param) { return std::string(param.param.name); });

INSTANTIATE_TEST_SUITE_P(
    TargetFolder, BadInputTest,
    ::testing::Values(
        Row{"MissingWithMissingParents", [](auto& f) { f.Target("C:\\Favoriten\\Neu\\Importierte Dateien\\"); },
            {I(2)}, {{"Eins.url", "*"}, {"Zwei.url", "*"}}},
        // Every file of the folder counts, hidden ones too; folders don't.
        Row{"FilesAlreadyThere",
            [](auto& f) {
              WriteHostFile(f.HostOf("Favoriten/.versteckt"), "");
              WriteHostFile(f.HostOf("Favoriten/alt.url"), "");
              MakeHostFolder(f.HostOf("Favoriten/Unterordner"));
            },
            {I(4)}, {{".versteckt", ""}, {"alt.url", ""}, {"Eins.url", "*"}, {"Zwei.url", "*"}, {"Unterordner", "<folder>"}}},
        Row{"WithoutTheWindowsFolder", [](auto& f) { f.ui_.windowsFolder = ""; },
            {I(2)}, {{"Eins.url", "*"}, {"Zwei.url", "*"}}},
        Row{"OnMissingDrive", [](auto& f) { f.Target("Q:\\Favoriten"); }, {W(kNotCreated), E(kNotFound)}, kNoFolder},
        Row{"NamesAFile", [](auto& f) { f.Target("C:\\Daneben.url"); }, {E(kNotFound)}, kNoFolder},
        Row{"LongerThanMaxPath", [](auto& f) { f.Target("C:\\Favoriten\\" + std::string(250, 'x')); },
            {W(kNotCreated), E(kNotFound)}, kNoFolder},
        Row{"CannotBeWritten",
            [](auto& f) { f.files_.writeFault = [](const std::string&) { return std::optional<std::size_t>(0); }; },
            {}, {}},
        Row{"ReadOnlyShortcutInTheWay",
            [](auto& f) {
              WriteHostFile(f.HostOf("Favoriten/Eins.url"), "alt");
              ::chmod(f.HostOf("Favoriten/Eins.url").c_str(), 0444);
            },
            {I(2)}, {{"Eins.url", "alt"}, {"Zwei.url", "*"}}},
        Row{"LockedShortcutInTheWay",
            [](auto& f) {
              WriteHostFile(f.HostOf("Favoriten/Eins.url"), "alt");
              f.files_.writeFault = [](const std::string& path) {
                return path.ends_with("/Eins.url") ? std::optional<std::size_t>(0) : std::nullopt;
              };
            },
            {I(2)}, {{"Eins.url", "alt"}, {"Zwei.url", "*"}}},
        // Room for "Name.url" within MAX_PATH, not for "Name (2).url": the
        // numbered names cut between characters, no blank at their end,
        // and not onto a name taken.
        Row{"NumberedNamesCutToMaxPath",
            [](auto& f) {
              f.Target("C:\\Favoriten\\" + std::string(192, 'x'));  // 206 characters with its "\"
              const std::string title = kL43 + " 😀xyz";                 // 48 characters, 49 units
              f.WriteSource(ExportFile({BookmarkLine("http://0/", kL43 + " (2)"), BookmarkLine("http://1/", title),
                                        BookmarkLine("http://2/", title), BookmarkLine("http://3/", title)}));
            },
            {I(4)},
            {{kL43 + " (2).url", Shortcut("http://0/")}, {kL43 + " 😀xyz.url", Shortcut("http://1/")},
             {kL43 + " (3).url", Shortcut("http://2/")}, {kL43 + " (4).url", Shortcut("http://3/")}}},
        Row{"DiskFullPartWay",
            [](auto& f) {
              f.files_.writeFault = [](const std::string& path) {
                return path.ends_with("/Zwei.url") ? std::optional<std::size_t>(10) : std::nullopt;
              };
            },
            {I(1)}, {{"Eins.url", "*"}}}),
    [](const auto& param) { return std::string(param.param.name); });

INSTANTIATE_TEST_SUITE_P(
    Titles, BadInputTest,
    ::testing::Values(
        Row{"TryToLeaveOrOpenDevices",
            [](auto& f) {
              f.WriteSource(ExportFile({BookmarkLine("http://1/", "..\\"), BookmarkLine("http://2/", "/"),
                                        BookmarkLine("http://3/", "C:"), BookmarkLine("http://4/", "CON"),
                                        BookmarkLine("http://5/", "nul.txt"), BookmarkLine("http://6/", "COM1"),
                                        BookmarkLine("http://7/", "..\\..\\..\\Daneben")}));
            },
            {I(7)},
            {{"..-.url", "*"}, {"-.url", "*"}, {"C.url", "*"}, {"_CON.url", "*"}, {"_nul.txt.url", "*"},
             {"_COM1.url", "*"}, {"..-..-..-Daneben.url", "*"}}},
        // Equal once cleaned, and in any script equal but for letter case:
        // the later bookmark numbered.
        Row{"EqualAfterCleaningOrInLetterCase",
            [](auto& f) {
              f.WriteSource(ExportFile({BookmarkLine("http://alt/", "Твіттер: Все"), BookmarkLine("http://mitte/", "x"),
                                        BookmarkLine("http://neu/", "ТВІТТЕР| ВСЕ")}));
            },
            {I(3)},
            {{"Твіттер Все.url", Shortcut("http://alt/")},
             {"ТВІТТЕР ВСЕ (2).url", Shortcut("http://neu/")}, {"x.url", "*"}}}),
    [](const auto& param) { return std::string(param.param.name); });

}  // namespace
}  // namespace merkwandel::testing
