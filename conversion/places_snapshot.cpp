#include "conversion/places_snapshot.h"

#include <new>
#include <optional>

#include "conversion/places_database.h"

namespace merkwandel::conversion {
namespace {

// A new temporary folder, removed with its files when the object goes.
class TemporaryFolder {
 public:
  explicit TemporaryFolder(platform::FileSystem& files) : files_(files), path_(files.MakeTemporaryFolder()) {}
  ~TemporaryFolder() {
    if (path_) files_.RemoveFolderAndFiles(*path_);
  }
  TemporaryFolder(const TemporaryFolder&) = delete;
  TemporaryFolder& operator=(const TemporaryFolder&) = delete;
  const std::optional<std::string>& path() const { return path_; }

 private:
  platform::FileSystem& files_;
  std::optional<std::string> path_;
};

}  // namespace

SnapshotOutcome ConvertPlacesSnapshot(app::Root& root, ShortcutWriter& writer, const std::string& path) {
  auto& files = root.Platform().Files();
  const TemporaryFolder folder(files);
  if (!folder.path()) return SnapshotOutcome::kUnreadable;
  // "/" separates the folder's files for this program and for SQLite alike.
  const std::string copy = *folder.path() + "/places.sqlite";
  // The file before its "-wal": Firefox changes the file only by copying
  // pages of the "-wal" into it, and they stay there until a later write
  // starts the "-wal" anew, so a "-wal" copied after the file holds what
  // the file's copy lacks.
  if (!files.CopySharedFile(path, copy)) return SnapshotOutcome::kUnreadable;
  for (const char* beside : {"-wal", "-journal"}) {
    // The file alone would not be the database as Firefox sees it.
    if (files.Attributes(path + beside) && !files.CopySharedFile(path + beside, copy + beside)) {
      return SnapshotOutcome::kUnreadable;
    }
  }

  bool closing = false;
  const PlacesReadOutcome read = ReadPlacesBookmarks(copy, [&](std::string_view url, std::string_view title) {
    try {
      writer.WriteBookmark(url, title);
    } catch (const std::bad_alloc&) {
      return false;  // as in the scanner: what was written stays, reading ends
    }
    closing = !root.Platform().Ui().PumpEvents();
    return !closing;
  });
  if (closing) return SnapshotOutcome::kWindowClosing;
  return read == PlacesReadOutcome::kUnreadable ? SnapshotOutcome::kUnreadable : SnapshotOutcome::kRead;
}

}  // namespace merkwandel::conversion
