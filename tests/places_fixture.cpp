#include "tests/places_fixture.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

namespace merkwandel::testing {

const char kPlacesSchema[] =
    "CREATE TABLE moz_bookmarks (  id INTEGER PRIMARY KEY, type INTEGER, fk INTEGER DEFAULT NULL, parent "
    "INTEGER, position INTEGER, title LONGVARCHAR, keyword_id INTEGER, folder_type TEXT, dateAdded INTEGER, "
    "lastModified INTEGER, guid TEXT, syncStatus INTEGER NOT NULL DEFAULT 0, syncChangeCounter INTEGER NOT "
    "NULL DEFAULT 1);"
    "CREATE TABLE moz_places (   id INTEGER PRIMARY KEY, url LONGVARCHAR, title LONGVARCHAR, rev_host "
    "LONGVARCHAR, visit_count INTEGER DEFAULT 0, hidden INTEGER DEFAULT 0 NOT NULL, typed INTEGER DEFAULT 0 "
    "NOT NULL, frecency INTEGER DEFAULT -1 NOT NULL, last_visit_date INTEGER , guid TEXT, foreign_count "
    "INTEGER DEFAULT 0 NOT NULL, url_hash INTEGER DEFAULT 0 NOT NULL , description TEXT, preview_image_url "
    "TEXT, site_name TEXT, origin_id INTEGER REFERENCES moz_origins(id), recalc_frecency INTEGER NOT NULL "
    "DEFAULT 0, alt_frecency INTEGER, recalc_alt_frecency INTEGER NOT NULL DEFAULT 0);";

const char kPlacesRoots[] =
    "INSERT INTO moz_bookmarks (id, type, parent, position, title, guid) VALUES"
    " (1, 2, 0, 0, '', 'root________'), (2, 2, 1, 0, 'menu', 'menu________'),"
    " (3, 2, 1, 1, 'unfiled', 'unfiled_____'), (4, 2, 1, 2, 'tags', 'tags________'),"
    " (5, 2, 1, 3, 'toolbar', 'toolbar_____'), (6, 2, 1, 4, 'mobile', 'mobile______');";

const char kPlacesTree[] =
    "INSERT INTO moz_places (id, url) VALUES (1, 'https://example.org/suche?q=a&lang=de&x=''1'''),"
    " (2, 'place:sort=8&maxResults=10'), (3, 'https://tief.example/eins'), (4, 'https://leer.example/'),"
    " (5, 'https://ru.example/'), (6, 'https://literal.example/'), (7, 'https://ja.example/'),"
    " (8, 'https://toolbar.example/'), (9, 'https://tief.example/zwei'), (10, 'https://ar.example/'),"
    " (11, 'https://mobil.example/');"
    "INSERT INTO moz_bookmarks (id, type, fk, parent, position, title) VALUES"
    " (10, 1, 1, 2, 0, 'Q&A: Fragen & Antworten <neu> \"zitiert\" ''einfach'''), (11, 3, NULL, 2, 1, NULL),"
    " (12, 1, 2, 2, 3, 'Meistbesucht'), (13, 2, NULL, 2, 2, 'Reisen & Urlaub'),"
    " (14, 1, 6, 2, 4, '&amp; steht da wörtlich'), (15, 1, 7, 2, 5, '東京 😀'),"
    " (20, 1, 3, 13, 1, 'Gleicher Titel'), (21, 2, NULL, 13, 0, 'Unterordner'),"
    " (22, 1, 4, 21, 0, NULL), (23, 1, 5, 21, 1, 'Закладка – Википедия'),"
    " (30, 1, 8, 5, 0, 'Leiste'), (31, 2, NULL, 4, 0, 'lesen'), (32, 1, 1, 31, 0, NULL),"
    " (40, 1, 9, 3, 0, 'Gleicher Titel'), (41, 1, 10, 3, 1, 'ويكيبيديا'),"
    " (50, 1, 11, 6, 0, 'Mobil'), (60, 1, 11, 1, 5, 'Neben den Wurzeln');";

Database OpenForWriting(const std::string& path) {
  sqlite3* db = nullptr;
  sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
  return Database(db);
}

void Execute(sqlite3* db, const std::string& sql) {
  ASSERT_EQ(sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr), SQLITE_OK) << sqlite3_errmsg(db);
}

TemporaryFilesIn::TemporaryFilesIn(const std::string& folder) {
  if (const char* before = std::getenv("TMPDIR")) before_ = before;
  std::filesystem::create_directories(folder);
  ::setenv("TMPDIR", folder.c_str(), 1);
}

TemporaryFilesIn::~TemporaryFilesIn() {
  if (before_) {
    ::setenv("TMPDIR", before_->c_str(), 1);
  } else {
    ::unsetenv("TMPDIR");
  }
}

}  // namespace merkwandel::testing
