#include "conversion/places_snapshot.h"

#include <algorithm>
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

// True when the files `a` and `b` can be read and hold the same bytes.
bool SameContent(platform::FileSystem& files, const std::string& a, const std::string& b) {
  const auto first = files.OpenForReading(a);
  const auto second = files.OpenForReading(b);
  if (!first || !second) return false;
  constexpr std::size_t kBlock = 1 << 16;
  for (;;) {
    const std::string block = ReadHead(*first, kBlock);
    if (block != ReadHead(*second, kBlock)) return false;
    if (block.size() < kBlock) return true;  // a read error shows as a short block too, on either side
  }
}

// Copies the database `path` and the files beside it that belong to it into
// `copy` (+ "-wal", "-journal"). Torn: the copies may hold parts of two
// states of the database.
enum class Copied { kConsistent, kTorn, kFailed };
Copied CopyDatabase(platform::FileSystem& files, const std::string& path, const std::string& copy) {
  // Firefox changes the file only by copying pages of the "-wal" into it
  // (a checkpoint), and starts the "-wal" anew, with a new salt in its
  // header, only once all of it is in the file. So the copies are one state
  // when the "-wal" had the same header before the file was copied, in its
  // copy and after: what a checkpoint wrote meanwhile is in that copy too.
  // An empty "-wal" (none) may have been started and emptied again
  // unseen; then the file must still hold the bytes of its copy after its
  // "-wal" was copied: a checkpoint that changed a page before it was copied
  // and another after it was compared ran all the while the "-wal" was
  // copied, so every page it wrote is in that copy.
  constexpr std::size_t kWalHeader = 32;
  const std::string before = Head(files, path + "-wal", kWalHeader);
  if (!files.CopySharedFile(path, copy)) return Copied::kFailed;
  for (const char* beside : {"-wal", "-journal"}) {
    // The file alone would not be the database as Firefox sees it.
    if (files.Attributes(path + beside) && !files.CopySharedFile(path + beside, copy + beside)) {
      return Copied::kFailed;
    }
  }
  const std::string copied = Head(files, copy + "-wal", kWalHeader);
  if (Head(files, path + "-wal", kWalHeader) != copied) return Copied::kTorn;
  if (copied.size() == kWalHeader && copied == before) return Copied::kConsistent;
  return SameContent(files, path, copy) ? Copied::kConsistent : Copied::kTorn;
}

}  // namespace

std::string ReadHead(platform::InputFile& file, std::size_t count) {
  // The room grows with what was read (64 KiB, then doubling), so that a
  // limit far above the usual file (a megabyte for "Local State") costs
  // no megabyte for a file of a few kilobytes.
  constexpr std::size_t kFirstRoom = 1 << 16;
  std::string head;
  while (head.size() < count) {
    const std::size_t have = head.size();
    head.resize(std::min(count, std::max(kFirstRoom, 2 * have)));
    const std::ptrdiff_t read = file.Read(head.data() + have, head.size() - have);
    head.resize(have + static_cast<std::size_t>(std::max<std::ptrdiff_t>(read, 0)));
    if (read <= 0) break;
  }
  return head;
}

namespace {

// Hands every bookmark of the consistent copy `copy` to `writer`.
ReadOutcome ReadCopy(app::Root& root, ShortcutWriter& writer, RunProgress& progress, const std::string& copy) {
  bool closing = false;
  std::uint64_t done = 0;
  const PlacesReadOutcome read = ReadPlacesBookmarks(copy, [&](std::string_view url, std::string_view title) {
    try {
      writer.WriteBookmark(url, title);
    } catch (const std::bad_alloc&) {
      return false;  // as in the scanner: what was written stays, reading ends
    }
    progress.Reached(++done);
    closing = !root.Platform().Ui().PumpEvents();
    return !closing;
  }, [&] {
    closing = !root.Platform().Ui().PumpEvents();
    return !closing;
  }, [&](std::uint64_t bookmarks) {
    done = 0;
    progress.Start(bookmarks);
  });
  if (closing) return ReadOutcome::kWindowClosing;
  return read == PlacesReadOutcome::kUnreadable ? ReadOutcome::kUnreadable : ReadOutcome::kRead;
}

}  // namespace

ReadOutcome ConvertPlacesSnapshot(app::Root& root, ShortcutWriter& writer, RunProgress& progress,
                                  const std::string& path) {
  auto& files = root.Platform().Files();
  // Firefox may write while the files are copied; a torn copy is made anew,
  // in a new folder (the torn one goes), after a short pause, a few times at
  // most. One that is still torn is not read: a torn copy may read without
  // error and yet lack bookmarks.
  constexpr int kTries = 10;
  constexpr double kPause = 0.1;  // seconds
  for (int attempt = 0;; ++attempt) {
    const TemporaryFolder folder(files);
    if (!folder.path()) return ReadOutcome::kUnreadable;
    // "/" separates the folder's files for this program and for SQLite alike.
    const std::string copy = *folder.path() + "/places.sqlite";
    const Copied copied = CopyDatabase(files, path, copy);
    if (copied == Copied::kFailed) return ReadOutcome::kUnreadable;
    if (copied == Copied::kConsistent) return ReadCopy(root, writer, progress, copy);
    if (attempt + 1 == kTries) return ReadOutcome::kUnreadable;
    if (!root.Sleep(kPause)) return ReadOutcome::kWindowClosing;
  }
}

}  // namespace merkwandel::conversion
