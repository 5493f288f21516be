// A Firefox bookmark database through the run: the shortcuts of Firefox's
// own HTML export of it, and the profile left as it was.
#include <filesystem>

#include "conversion/conversion_run.h"
#include "tests/conversion_fixture.h"
#include "tests/places_fixture.h"

namespace merkwandel::testing {
namespace {

// The same tree as Firefox exports it (its folders' lines left out).
std::string FirefoxExport() {
  return ExportFile({BookmarkLine("https://example.org/suche?q=a&amp;lang=de&amp;x=&#39;1&#39;",
                                  "Q&amp;A: Fragen &amp; Antworten &lt;neu&gt; &quot;zitiert&quot; &#39;einfach&#39;"),
                     "    <HR>" + BookmarkLine("https://leer.example/", ""),
                     BookmarkLine("https://ru.example/", "Закладка – Википедия"),
                     BookmarkLine("https://tief.example/eins", "Gleicher Titel"),
                     BookmarkLine("place:sort=8&amp;maxResults=10", "Meistbesucht"),
                     BookmarkLine("https://literal.example/", "&amp;amp; steht da wörtlich"),
                     BookmarkLine("https://ja.example/", "東京 😀"), BookmarkLine("https://toolbar.example/", "Leiste"),
                     BookmarkLine("https://tief.example/zwei", "Gleicher Titel"),
                     BookmarkLine("https://ar.example/", "ويكيبيديا"), BookmarkLine("https://mobil.example/", "Mobil")});
}

class PlacesRunTest : public ConversionFixture {
 protected:
  std::map<std::string, std::string> ProfileFiles() const {
    std::map<std::string, std::string> files;
    for (const auto& name : HostNames(Host("Profil"))) files[name] = ReadHostFile(Host("Profil/" + name));
    return files;
  }
};

TEST_F(PlacesRunTest, GivesTheShortcutsOfFirefoxsExportAndLeavesTheProfileAsItWas) {
  // Named as Windows would not take it: used as it is all the same.
  const TemporaryFilesIn temporary(Host("Temp: ."));
  const auto fromExport = Convert(FirefoxExport());
  std::filesystem::remove_all(Host("Favoriten"));
  // Firefox running: the file held open, the bookmarks only in its "-wal".
  MakeHostFolder(Host("Profil"));
  const Database firefox = OpenForWriting(Host("Profil/places.sqlite"));
  Execute(firefox.get(), std::string("PRAGMA journal_mode = WAL; PRAGMA wal_autocheckpoint = 0;") + kPlacesSchema +
                             kPlacesRoots + kPlacesTree);
  const auto profile = ProfileFiles();
  root_.SetText(app::Field::tHypertext, Host("Profil/places.sqlite"));
  conversion::RunConversion(root_);

  // No query ("place:"); a bookmark without title named after its URL; a
  // title taken by another URL numbered.
  const auto fromDatabase = TargetFiles();
  EXPECT_EQ(fromDatabase, fromExport);
  std::vector<std::string> names;
  for (const auto& [name, content] : fromDatabase) names.push_back(name);
  EXPECT_EQ(names, (std::vector<std::string>{
                       "&amp; steht da wörtlich.url", "Gleicher Titel (2).url", "Gleicher Titel.url", "Leiste.url",
                       "Mobil.url", "Q&A Fragen & Antworten neu zitiert 'einfach'.url", "leer.example-.url",
                       "Закладка – Википедия.url", "ويكيبيديا.url", "東京 😀.url"}));
  EXPECT_EQ(ui_.messages.back().text, "Es wurden 10 Favoriten aus der Firefox Lesezeichendatei exportiert.    ");
  EXPECT_EQ(ProfileFiles(), profile);
  EXPECT_EQ(profile.size(), 3u);  // with the "-wal" and the "-shm" of a running Firefox
  EXPECT_TRUE(HostNames(Host("Temp: .")).empty());
}

struct WriteCase {
  const char* name;
  const char* journal;  // Firefox's journal mode
  bool emptied;         // the "-wal" moved into the file before the run
  const char* file;     // Firefox writes before this file is opened for the `opening`-th time
  int opening;
  friend void PrintTo(const WriteCase& c, std::ostream* os) { *os << c.name; }
};

class PlacesWriteTest : public PlacesRunTest, public ::testing::WithParamInterface<WriteCase> {};

// While the copy is made, Firefox adds a bookmark and moves its "-wal"
// into the file: the copy is made again, with the new bookmark.
TEST_P(PlacesWriteTest, ACopyMadeWhileFirefoxWritesIsMadeAgain) {
  const WriteCase& c = GetParam();
  MakeHostFolder(Host("Profil"));
  const Database firefox = OpenForWriting(Host("Profil/places.sqlite"));
  Execute(firefox.get(), "PRAGMA journal_mode = " + std::string(c.journal) + "; PRAGMA wal_autocheckpoint = 0;" +
                             kPlacesSchema + kPlacesRoots + kPlacesTree +
                             (c.emptied ? "PRAGMA wal_checkpoint(TRUNCATE);" : ""));
  int opened = 0;
  files_.openFault = [&](const std::string& hostPath) {
    const std::string folder = hostPath.starts_with(Host("Profil/")) ? "Profil/" : "Kopie/";
    if (folder + hostPath.substr(hostPath.rfind('/') + 1) == c.file && ++opened == c.opening) {
      Execute(firefox.get(),
              "INSERT INTO moz_places (id, url) VALUES (12, 'https://neu.example/');"
              "INSERT INTO moz_bookmarks (id, type, fk, parent, position, title) VALUES (51, 1, 12, 3, 2, 'Neu');"
              "PRAGMA wal_checkpoint(TRUNCATE);");
    }
    return false;
  };
  root_.SetText(app::Field::tHypertext, Host("Profil/places.sqlite"));
  conversion::RunConversion(root_);
  EXPECT_EQ(TargetFiles().at("Neu.url"), "[InternetShortcut]\r\nURL=https://neu.example/\r\n");
  EXPECT_EQ(ui_.messages.back().text, "Es wurden 11 Favoriten aus der Firefox Lesezeichendatei exportiert.    ");
}

INSTANTIATE_TEST_SUITE_P(
    Writes, PlacesWriteTest,
    ::testing::Values(WriteCase{"WalStartedAnewBeforeItsCopy", "WAL", false, "Profil/places.sqlite-wal", 2},
                      WriteCase{"WalStartedAnewAfterItsCopy", "WAL", false, "Kopie/places.sqlite-wal", 1},
                      WriteCase{"FileChangedWithAnEmptyWal", "WAL", true, "Kopie/places.sqlite", 1},
                      WriteCase{"FileChangedWithoutWal", "DELETE", false, "Kopie/places.sqlite", 1}),
    [](const auto& param) { return std::string(param.param.name); });

}  // namespace
}  // namespace merkwandel::testing
