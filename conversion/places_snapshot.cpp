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

// The first bytes of the file `path`, up to `count`; empty when it can't be read.
std::string Head(platform::FileSystem& files, const std::string& path, std::size_t count) {
  const auto file = files.OpenForReading(path);
  return file ? ReadHead(*file, count) : std::string();
}

// Copies the database `path` and the files beside it that belong to it into
// `copy` (+ "-wal", "-journal"). Torn: the copies may hold parts of two
// states of the database.
enum class Copied { kConsistent, kTorn, kFailed };
Copied CopyDatabase(platform::FileSystem& files, const std::string& path, const std::string& copy) {
  // The file before its "-wal": Firefox changes the file only by copying
  // pages of the "-wal" into it, and they stay there until a later write
  // starts the "-wal" anew, so a "-wal" copied after the file holds what
  // the file's copy lacks. A "-wal" started anew in between (its header,
  // with the salt of each start, tells) holds no longer all of it.
  const std::string walBefore = copy + "-wal-before";
  const bool hadWal = files.Attributes(path + "-wal").has_value();
  if (hadWal && !files.CopySharedFile(path + "-wal", walBefore)) return Copied::kFailed;
  if (!files.CopySharedFile(path, copy)) return Copied::kFailed;
  for (const char* beside : {"-wal", "-journal"}) {
    // The file alone would not be the database as Firefox sees it.
    if (files.Attributes(path + beside) && !files.CopySharedFile(path + beside, copy + beside)) {
      return Copied::kFailed;
    }
  }
  constexpr std::size_t kWalHeader = 32;
  const std::string before = hadWal ? Head(files, walBefore, kWalHeader) : std::string();
  return before == Head(files, copy + "-wal", kWalHeader) ? Copied::kConsistent : Copied::kTorn;
}

}  // namespace

std::string ReadHead(platform::InputFile& file, std::size_t count) {
  std::string head(count, '\0');
  std::size_t have = 0;
  while (have < count) {
    const std::ptrdiff_t read = file.Read(head.data() + have, count - have);
    if (read <= 0) break;
    have += static_cast<std::size_t>(read);
  }
  head.resize(have);
  return head;
}

SnapshotOutcome ConvertPlacesSnapshot(app::Root& root, ShortcutWriter& writer, const std::string& path) {
  auto& files = root.Platform().Files();
  const TemporaryFolder folder(files);
  if (!folder.path()) return SnapshotOutcome::kUnreadable;
  std::string copy;
  // Firefox may write while the files are copied; a torn copy is made anew,
  // under a new name, a few times at most (then read as it is: what is
  // damaged gives nothing).
  for (int attempt = 0; attempt < 3; ++attempt) {
    // "/" separates the folder's files for this program and for SQLite alike.
    copy = *folder.path() + "/places" + std::to_string(attempt) + ".sqlite";
    const Copied copied = CopyDatabase(files, path, copy);
    if (copied == Copied::kFailed) return SnapshotOutcome::kUnreadable;
    if (copied == Copied::kConsistent) break;
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
