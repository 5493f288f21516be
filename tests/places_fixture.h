// Firefox bookmark databases for tests: Firefox's tables and roots, and
// writing SQL into a database file.
#pragma once

#include <sqlite3.h>

#include <memory>
#include <optional>
#include <string>

namespace merkwandel::testing {

// The two tables as the Firefox of 2025 creates them (schema version 86).
extern const char kPlacesSchema[];
// The roots; ids and positions are not in the order the roots are read.
extern const char kPlacesRoots[];
// Bookmarks below the roots, with what Firefox's export escapes, folders
// whose ids are not in the order of their positions, a separator, a tag,
// NULL titles, several scripts, a place: URL, one title in two folders, one
// on the mobile root and one beside the roots (not read).
extern const char kPlacesTree[];

struct CloseDatabase {
  void operator()(sqlite3* db) const { sqlite3_close(db); }
};
using Database = std::unique_ptr<sqlite3, CloseDatabase>;

// Opens the database `path`, creating it when it is missing.
Database OpenForWriting(const std::string& path);
// Runs `sql`; a failure fails the test.
void Execute(sqlite3* db, const std::string& sql);

// While it lives, the host backend makes its temporary folders in `folder`
// (TMPDIR), so that a test sees what a run leaves there.
class TemporaryFilesIn {
 public:
  explicit TemporaryFilesIn(const std::string& folder);
  ~TemporaryFilesIn();
  TemporaryFilesIn(const TemporaryFilesIn&) = delete;
  TemporaryFilesIn& operator=(const TemporaryFilesIn&) = delete;

 private:
  std::optional<std::string> before_;
};

}  // namespace merkwandel::testing
