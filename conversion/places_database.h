// Reading the bookmarks of a Firefox bookmark database: the profile's
// places.sqlite, or rather a private copy of it (with its "-wal", and a
// "-journal" if there was one), since Firefox may hold the original open.
//
// The bookmarks are the rows of moz_bookmarks of type 1, each with the URL of
// its moz_places row (fk) and its own title. They come in the order of
// Firefox's own HTML export: depth first below the roots menu, toolbar and
// unfiled ("Other Bookmarks"), then below the mobile root, each folder's
// children by position. Folders and separators give nothing; the tags root
// and everything below it are left out. The roots are found by their fixed
// GUIDs ("menu________" and so on); older databases name them in the table
// moz_bookmarks_roots instead, which has no mobile root.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace merkwandel::conversion {

enum class PlacesReadOutcome {
  kRead,        // every bookmark was handed over
  kStopped,     // the receiver asked to stop
  kUnreadable,  // not a readable Firefox bookmark database
};

// Takes one bookmark: its URL and its title as they are stored, UTF-8 bytes,
// NULL as empty text. Both are valid only during the call. Returns false to
// stop reading.
using PlacesBookmarkReceiver = std::function<bool(std::string_view url, std::string_view title)>;

// Called now and then while the tree is read before the first bookmark is
// handed over. Returns false to stop reading.
using PlacesPump = std::function<bool()>;

// Told the number of bookmarks the tree holds, before the first is handed over.
using PlacesCount = std::function<void(std::uint64_t bookmarks)>;

// Hands the bookmarks of the database `path` (UTF-8) to `receive`, one by
// one. A file that is missing, not SQLite, damaged where the bookmarks are,
// or without Firefox's tables and roots is unreadable, and then nothing has
// been handed over: the whole tree is read once before the first bookmark
// is handed over, and `count`, when given, is told how many there are then.
// The tree's rows are read by one query and kept in memory
// as ids, so time grows with the rows whatever indexes the file has; URLs
// and titles are read one bookmark at a time.
//
// A "-wal" beside the file is read with it, and SQLite keeps its "-shm"
// beside it then; a "-journal" left by a write that did not end is rolled
// back into the file. Otherwise no file is written or created.
PlacesReadOutcome ReadPlacesBookmarks(const std::string& path, const PlacesBookmarkReceiver& receive,
                                      const PlacesPump& pump, const PlacesCount& count = nullptr) noexcept;

}  // namespace merkwandel::conversion
