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
