// The reader of Firefox bookmark databases: which bookmarks it hands over and
// in what order, files it can't read, and a journal beside a database. (A
// "-wal" beside it is read through the run.)
#include <gtest/gtest.h>

#include <filesystem>
#include <utility>
#include <vector>

#include "conversion/places_database.h"
#include "tests/host_fixture.h"
#include "tests/places_fixture.h"

namespace merkwandel::testing {
namespace {

using conversion::PlacesReadOutcome;
using Bookmarks = std::vector<std::pair<std::string, std::string>>;  // URL, title

class PlacesDatabaseTest : public ::testing::Test {
 protected:
  PlacesDatabaseTest() { std::filesystem::create_directory(folder_); }

  // A database in WAL mode, as Firefox keeps it; closed, so that nothing is left beside it.
  void Make(const std::string& sql) { Execute(OpenForWriting(path_).get(), "PRAGMA journal_mode = WAL;" + sql); }

  // Reads the database at `path_`; the receiver asks to stop after `limit` bookmarks.
  PlacesReadOutcome Read(std::size_t limit = SIZE_MAX) {
    read_.clear();
    return conversion::ReadPlacesBookmarks(path_, [&](std::string_view url, std::string_view title) {
      read_.emplace_back(url, title);
      return read_.size() < limit;
    }, [] { return true; });
  }

  TempFolder temp_;
  // A folder name with the characters a file URI escapes.
  const std::string folder_ = temp_.path() + "/Profil #1 100% ?";
  const std::string path_ = folder_ + "/places.sqlite";
  Bookmarks read_;
};

struct TreeCase {
  const char* name;
  std::string sql;
  Bookmarks expected;
};

const TreeCase kTrees[] = {
    {"FirefoxTree",
     std::string(kPlacesSchema) + kPlacesRoots + kPlacesTree,
     {{"https://example.org/suche?q=a&lang=de&x='1'", "Q&A: Fragen & Antworten <neu> \"zitiert\" 'einfach'"},
      {"https://leer.example/", ""},
      {"https://ru.example/", "Закладка – Википедия"},
      {"https://tief.example/eins", "Gleicher Titel"},
      {"place:sort=8&maxResults=10", "Meistbesucht"},
      {"https://literal.example/", "&amp; steht da wörtlich"},
      {"https://ja.example/", "東京 😀"},
      {"https://toolbar.example/", "Leiste"},
      {"https://tief.example/zwei", "Gleicher Titel"},
      {"https://ar.example/", "ويكيبيديا"},
      {"https://mobil.example/", "Mobil"}}},
    // An older database: no GUIDs, the roots named in a table of their own.
    {"RootsByName",
     "CREATE TABLE moz_bookmarks (id INTEGER PRIMARY KEY, type INTEGER, fk INTEGER DEFAULT NULL, parent "
     "INTEGER, position INTEGER, title LONGVARCHAR, keyword_id INTEGER, folder_type TEXT, dateAdded INTEGER, "
     "lastModified INTEGER);"
     "CREATE TABLE moz_bookmarks_roots (root_name VARCHAR(16) UNIQUE, folder_id INTEGER);"
     "CREATE TABLE moz_places (id INTEGER PRIMARY KEY, url LONGVARCHAR, title LONGVARCHAR);"
     "INSERT INTO moz_bookmarks_roots VALUES ('places', 1), ('menu', 2), ('toolbar', 5), ('tags', 4),"
     " ('unfiled', 3);"
     "INSERT INTO moz_places (id, url) VALUES (1, 'https://a.example/'), (2, 'https://b.example/'),"
     " (3, 'https://c.example/');"
     "INSERT INTO moz_bookmarks (id, type, fk, parent, position, title) VALUES (1, 2, NULL, 0, 0, ''),"
     " (2, 2, NULL, 1, 0, ''), (3, 2, NULL, 1, 1, ''), (4, 2, NULL, 1, 2, ''), (5, 2, NULL, 1, 3, ''),"
     " (10, 1, 1, 3, 0, 'Weitere'), (11, 1, 2, 5, 0, 'Leiste'), (12, 1, 3, 2, 0, 'Menü'),"
     " (13, 2, NULL, 4, 0, 'etikett'), (14, 1, 1, 13, 0, NULL);",
     {{"https://c.example/", "Menü"}, {"https://b.example/", "Leiste"}, {"https://a.example/", "Weitere"}}},
    // A damaged tree: the menu inside a folder of its own.
    {"MenuInsideItself",
     std::string(kPlacesSchema) + kPlacesRoots +
         "INSERT INTO moz_places (id, url) VALUES (1, 'https://a.example/'), (2, 'https://b.example/');"
         "INSERT INTO moz_bookmarks (id, type, fk, parent, position, title) VALUES"
         " (10, 2, NULL, 2, 0, 'A'), (11, 1, 1, 10, 1, 'In A'), (12, 1, 2, 5, 0, 'Leiste');"
         "UPDATE moz_bookmarks SET parent = 10 WHERE id = 2;",
     {{"https://a.example/", "In A"}, {"https://b.example/", "Leiste"}}},
    {"OnlyRoots", std::string(kPlacesSchema) + kPlacesRoots, {}},
    // 40,000 folders, each inside the one before, without Firefox's indexes:
    // read in a time that grows with the square of the folders, it takes
    // longer than a test may.
    {"DeepWithoutIndexes",
     std::string(kPlacesSchema) + kPlacesRoots +
         "WITH RECURSIVE n(value) AS (SELECT 1 UNION ALL SELECT value + 1 FROM n WHERE value < 40000)"
         " INSERT INTO moz_bookmarks (id, type, parent, position, title)"
         " SELECT value + 100, 2, CASE value WHEN 1 THEN 2 ELSE value + 99 END, 0, 'Ordner' FROM n;"
         "INSERT INTO moz_places (id, url) VALUES (1, 'https://tief.example/');"
         "INSERT INTO moz_bookmarks (id, type, fk, parent, position, title) VALUES (50000, 1, 1, 40100, 0, 'Unten'),"
         " (50001, 1, 1, 2, 1, 'Oben');",
     {{"https://tief.example/", "Unten"}, {"https://tief.example/", "Oben"}}},
};

class PlacesTreeTest : public PlacesDatabaseTest, public ::testing::WithParamInterface<TreeCase> {};

TEST_P(PlacesTreeTest, HandsOverTheBookmarksInTheOrderOfFirefoxsExport) {
  Make(GetParam().sql);
  EXPECT_EQ(Read(), PlacesReadOutcome::kRead);
  EXPECT_EQ(read_, GetParam().expected);
  // Read alone, the file gets nothing beside it.
  EXPECT_EQ(HostNames(folder_), std::vector<std::string>{"places.sqlite"});
}

INSTANTIATE_TEST_SUITE_P(Trees, PlacesTreeTest, ::testing::ValuesIn(kTrees),
                         [](const auto& param) { return std::string(param.param.name); });

TEST_F(PlacesDatabaseTest, StopsWhenTheReceiverAsksTo) {
  Make(kTrees[0].sql);
  EXPECT_EQ(Read(2), PlacesReadOutcome::kStopped);
  EXPECT_EQ(read_, (Bookmarks{{"https://example.org/suche?q=a&lang=de&x='1'",
                               "Q&A: Fragen & Antworten <neu> \"zitiert\" 'einfach'"},
                              {"https://leer.example/", ""}}));
}

// 3000 bookmarks in the menu, their moz_places rows written behind them, so
// that damage there is met only after many bookmarks have been read.
constexpr char kLargeMenu[] =
    "WITH RECURSIVE n(value) AS (SELECT 1 UNION ALL SELECT value + 1 FROM n WHERE value < 3000)"
    " INSERT INTO moz_bookmarks (id, type, fk, parent, position, title)"
    " SELECT value + 100, 1, value, 2, value, 'Lesezeichen ' || value || hex(zeroblob(100)) FROM n;"
    "WITH RECURSIVE n(value) AS (SELECT 1 UNION ALL SELECT value + 1 FROM n WHERE value < 3000)"
    " INSERT INTO moz_places (id, url) SELECT value, 'https://example.org/' || value || hex(zeroblob(100)) FROM n;";

struct Damage {
  const char* name;
  // Makes the file at the path given from a well-formed large database, or in its place.
  void (*make)(const std::string& path);
};

const Damage kDamages[] = {
    {"ViewsForTables",
     [](const std::string& path) {
       Execute(OpenForWriting(path).get(),
               "ALTER TABLE moz_bookmarks RENAME TO b; CREATE VIEW moz_bookmarks AS SELECT * FROM b;");
     }},
    {"NoRoots",
     [](const std::string& path) {
       Execute(OpenForWriting(path).get(), "DELETE FROM moz_bookmarks WHERE type = 2;");
     }},
    {"Truncated",
     [](const std::string& path) {
       const std::string bytes = ReadHostFile(path);
       WriteHostFile(path, bytes.substr(0, bytes.size() * 3 / 4));
     }},
    {"BytesOverwritten",
     [](const std::string& path) {
       std::string bytes = ReadHostFile(path);
       bytes.replace(bytes.size() * 3 / 4, 4096, 4096, '\xA5');
       WriteHostFile(path, bytes);
     }},
};

class DamagedPlacesTest : public PlacesDatabaseTest, public ::testing::WithParamInterface<Damage> {};

TEST_P(DamagedPlacesTest, IsUnreadableAndHandsOverNothing) {
  Make(std::string(kPlacesSchema) + kPlacesRoots + kLargeMenu);
  GetParam().make(path_);
  EXPECT_EQ(Read(), PlacesReadOutcome::kUnreadable);
  EXPECT_EQ(read_.size(), 0u);
}

INSTANTIATE_TEST_SUITE_P(Files, DamagedPlacesTest, ::testing::ValuesIn(kDamages),
                         [](const auto& param) { return std::string(param.param.name); });

TEST_F(PlacesDatabaseTest, RollsBackAJournalLeftByAnUnfinishedWrite) {
  // A copy taken while a large write was under way: the file holds part of
  // it, the journal what it replaced.
  const std::string original = temp_.path() + "/original.sqlite";
  Database writer = OpenForWriting(original);
  Execute(writer.get(), std::string(kPlacesSchema) + kPlacesRoots +
                            "INSERT INTO moz_places (id, url) VALUES (5000, 'https://a.example/');"
                            "INSERT INTO moz_bookmarks (id, type, fk, parent, position, title) VALUES"
                            " (10, 1, 5000, 2, 0, 'Vorher');"
                            "PRAGMA cache_size = 1; BEGIN;" + kLargeMenu);
  WriteHostFile(path_, ReadHostFile(original));
  WriteHostFile(path_ + "-journal", ReadHostFile(original + "-journal"));
  Execute(writer.get(), "ROLLBACK;");

  EXPECT_EQ(Read(), PlacesReadOutcome::kRead);
  EXPECT_EQ(read_, (Bookmarks{{"https://a.example/", "Vorher"}}));
}

}  // namespace
}  // namespace merkwandel::testing
