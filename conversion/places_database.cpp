#include "conversion/places_database.h"

#include <sqlite3.h>

#include <array>
#include <cstdint>
#include <memory>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace merkwandel::conversion {
namespace {

struct CloseDatabase {
  void operator()(sqlite3* db) const { sqlite3_close(db); }
};
using Database = std::unique_ptr<sqlite3, CloseDatabase>;

struct FinalizeStatement {
  void operator()(sqlite3_stmt* statement) const { sqlite3_finalize(statement); }
};
using Statement = std::unique_ptr<sqlite3_stmt, FinalizeStatement>;

enum class Result { kRead, kStopped, kFailed, kHotJournal };

enum class OpenMode {
  kImmutable,  // nothing beside the file: read it alone, lock nothing, create nothing
  kReadOnly,   // read it with the "-wal" beside it
  kReadWrite,  // roll back the "-journal" beside it first
};

// The roots read, in their order, and the tags root, by the names that
// identify them in one generation of the schema.
struct RootNames {
  const char* query;
  std::array<const char*, 4> read;  // a null name: no such root
  const char* tags;
};
constexpr RootNames kRootsByGuid = {"SELECT id FROM moz_bookmarks WHERE guid = ?1",
                                    {"menu________", "toolbar_____", "unfiled_____", "mobile______"},
                                    "tags________"};
constexpr RootNames kRootsByTable = {"SELECT folder_id FROM moz_bookmarks_roots WHERE root_name = ?1",
                                     {"menu", "toolbar", "unfiled", nullptr},
                                     "tags"};

// True when a non-empty file `path` exists, asked through SQLite's own file
// access so that it agrees with what SQLite opens.
bool NonEmptyFileExists(const std::string& path) {
  sqlite3_vfs* vfs = sqlite3_vfs_find(nullptr);
  int exists = 0;
  return vfs != nullptr && vfs->xAccess(vfs, path.c_str(), SQLITE_ACCESS_EXISTS, &exists) == SQLITE_OK &&
         exists != 0;
}

// A URI that names `path` as a file that nothing changes while it is read.
std::string ImmutableUri(const std::string& path) {
  // An empty authority in front of an absolute path, so that "//x" stays a path.
  std::string uri = path.starts_with('/') ? "file://" : "file:";
  for (char c : path) {
    switch (c) {
      case '%': uri += "%25"; break;
      case '?': uri += "%3F"; break;
      case '#': uri += "%23"; break;
      default: uri += c;
    }
  }
  return uri + "?immutable=1";
}

class TreeReader {
 public:
  explicit TreeReader(sqlite3* db) : db_(db) {}

  // Finds the roots and prepares the statements. kHotJournal when the file
  // can only be read after a rollback.
  Result Prepare() {
    const RootNames* names = &kRootsByTable;
    Statement rootQuery = Compile(names->query);
    if (!rootQuery) {
      // Anything but "no such table" means the file can't be read (yet).
      if (sqlite3_extended_errcode(db_) != SQLITE_ERROR) return Failure();
      names = &kRootsByGuid;
      rootQuery = Compile(names->query);
    }
    // Each folder's children as one run of rows; a parent that is not a
    // whole number is no folder's.
    tree_ = Compile("SELECT parent, id, type = 2 FROM moz_bookmarks WHERE type IN (1, 2) AND "
                    "typeof(parent) = 'integer' ORDER BY parent, position, id");
    bookmark_ = Compile("SELECT p.url, b.title FROM moz_bookmarks b LEFT JOIN moz_places p ON p.id = b.fk "
                        "WHERE b.id = ?1");
    if (!rootQuery || !tree_ || !bookmark_) return Failure();
    for (const char* name : names->read) {
      if (name == nullptr) continue;
      const auto id = RootId(rootQuery.get(), name);
      if (id < 0) return Failure();
      if (id > 0) roots_.push_back(id);
    }
    tags_ = RootId(rootQuery.get(), names->tags);
    if (tags_ < 0) return Failure();
    return roots_.empty() ? Result::kFailed : Result::kRead;
  }

  // Reads the whole tree into memory: one query, sorted as a whole, so that
  // the time grows with the rows whatever indexes the file has.
  Result Load(const PlacesPump& pump) {
    int rc;
    Range* folder = nullptr;
    std::int64_t parent = 0;
    for (std::size_t row = 1; (rc = sqlite3_step(tree_.get())) == SQLITE_ROW; ++row) {
      const std::int64_t next = sqlite3_column_int64(tree_.get(), 0);
      if (folder == nullptr || next != parent) {
        parent = next;
        folder = &ranges_.emplace(parent, Range{children_.size(), children_.size()}).first->second;
      }
      children_.push_back({sqlite3_column_int64(tree_.get(), 1), sqlite3_column_int(tree_.get(), 2) != 0});
      ++folder->end;
      if (row % kPumpEvery == 0 && !pump()) return Result::kStopped;
    }
    sqlite3_reset(tree_.get());
    return rc == SQLITE_DONE ? Result::kRead : Failure();
  }

  // Walks the tree; hands each bookmark to `receive`, when there is one,
  // else counts them (Counted) and pumps now and then.
  Result Walk(const PlacesBookmarkReceiver* receive, const PlacesPump& pump) {
    std::vector<Range> path;  // the children not yet walked of each folder on the way
    std::unordered_set<std::int64_t> seen = {tags_};  // each folder once, even one inside itself; never the tags
    auto enter = [&](std::int64_t folder) {
      if (!seen.insert(folder).second) return;
      const auto found = ranges_.find(folder);
      if (found != ranges_.end()) path.push_back(found->second);
    };
    counted_ = 0;
    for (std::int64_t root : roots_) {
      enter(root);
      while (!path.empty()) {
        Range& folder = path.back();
        if (folder.begin == folder.end) {
          path.pop_back();
          continue;
        }
        const Child child = children_[folder.begin++];
        if (child.folder) {
          enter(child.id);
          continue;
        }
        sqlite3_bind_int64(bookmark_.get(), 1, child.id);
        const int rc = sqlite3_step(bookmark_.get());
        if (rc == SQLITE_ROW && receive != nullptr && !(*receive)(Text(0), Text(1))) return Result::kStopped;
        sqlite3_reset(bookmark_.get());
        if (rc != SQLITE_ROW && rc != SQLITE_DONE) return Failure();
        if (receive == nullptr && ++counted_ % kPumpEvery == 0 && !pump()) return Result::kStopped;
      }
    }
    return Result::kRead;
  }
  std::uint64_t Counted() const { return counted_; }

 private:
  Statement Compile(const char* sql) {
    sqlite3_stmt* statement = nullptr;
    sqlite3_prepare_v2(db_, sql, -1, &statement, nullptr);
    return Statement(statement);
  }

  // The folder id of a root, 0 when there is none, -1 when reading failed.
  std::int64_t RootId(sqlite3_stmt* query, const char* name) {
    sqlite3_bind_text(query, 1, name, -1, SQLITE_STATIC);
    const int rc = sqlite3_step(query);
    const std::int64_t id = rc == SQLITE_ROW ? sqlite3_column_int64(query, 0) : rc == SQLITE_DONE ? 0 : -1;
    sqlite3_reset(query);
    return id;
  }

  std::string_view Text(int column) {
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(bookmark_.get(), column));
    if (text == nullptr) return {};
    return {text, static_cast<std::size_t>(sqlite3_column_bytes(bookmark_.get(), column))};
  }

  Result Failure() const {
    return sqlite3_extended_errcode(db_) == SQLITE_READONLY_ROLLBACK ? Result::kHotJournal : Result::kFailed;
  }

  struct Child {
    std::int64_t id;
    bool folder;
  };
  struct Range {
    std::size_t begin;
    std::size_t end;
  };
  static constexpr std::size_t kPumpEvery = 1024;

  sqlite3* db_;
  Statement tree_;
  std::vector<Child> children_;  // by parent, each parent's by position
  std::unordered_map<std::int64_t, Range> ranges_;  // a parent's children in children_
  Statement bookmark_;
  std::vector<std::int64_t> roots_;
  std::int64_t tags_ = 0;
  std::uint64_t counted_ = 0;  // bookmarks of the last walk without receiver
};

Result Read(const std::string& path, OpenMode mode, const PlacesBookmarkReceiver& receive,
            const PlacesPump& pump, const PlacesCount& count) {
  sqlite3* opened = nullptr;
  const int rc = mode == OpenMode::kImmutable
                     ? sqlite3_open_v2(ImmutableUri(path).c_str(), &opened, SQLITE_OPEN_READONLY | SQLITE_OPEN_URI,
                                       nullptr)
                     : sqlite3_open_v2(path.c_str(), &opened,
                                       mode == OpenMode::kReadOnly ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE,
                                       nullptr);
  Database db(opened);  // closed even when opening failed
  if (rc != SQLITE_OK) return Result::kFailed;
  sqlite3_extended_result_codes(db.get(), 1);
  sqlite3_db_config(db.get(), SQLITE_DBCONFIG_DEFENSIVE, 1, nullptr);
  // Firefox's bookmarks are in tables; a view of the same name runs what the file says.
  sqlite3_db_config(db.get(), SQLITE_DBCONFIG_ENABLE_VIEW, 0, nullptr);
  if (sqlite3_exec(db.get(), "PRAGMA query_only = ON; PRAGMA cell_size_check = ON; BEGIN", nullptr, nullptr,
                   nullptr) != SQLITE_OK) {
    return Result::kFailed;
  }
  // Both walks see the same snapshot: the transaction's.
  TreeReader reader(db.get());
  Result result = reader.Prepare();
  if (result == Result::kRead) result = reader.Load(pump);
  if (result == Result::kRead) result = reader.Walk(nullptr, pump);
  if (result == Result::kRead && count) count(reader.Counted());
  if (result == Result::kRead) result = reader.Walk(&receive, pump);
  return result;
}

}  // namespace

PlacesReadOutcome ReadPlacesBookmarks(const std::string& path, const PlacesBookmarkReceiver& receive,
                                      const PlacesPump& pump, const PlacesCount& count) noexcept {
  try {
    const bool beside = NonEmptyFileExists(path + "-wal") || NonEmptyFileExists(path + "-journal");
    Result result = Read(path, beside ? OpenMode::kReadOnly : OpenMode::kImmutable, receive, pump, count);
    if (result == Result::kHotJournal) result = Read(path, OpenMode::kReadWrite, receive, pump, count);
    switch (result) {
      case Result::kRead: return PlacesReadOutcome::kRead;
      case Result::kStopped: return PlacesReadOutcome::kStopped;
      default: return PlacesReadOutcome::kUnreadable;
    }
  } catch (...) {
    return PlacesReadOutcome::kUnreadable;
  }
}

}  // namespace merkwandel::conversion
