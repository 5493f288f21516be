// Converting a Firefox bookmark database (the profile's places.sqlite).
// Firefox holds the file open while it runs, letting others read it, and
// keeps its latest changes in "places.sqlite-wal" beside it; a write that
// did not end leaves a "-journal". So the run reads a private snapshot: the
// file and those beside it, copied into a new temporary folder that goes
// again however the reading ends (one that a killed run left behind goes
// when the next folder is made). Nothing of the profile is written, locked
// or created.
#pragma once

#include <string>

#include "app/root.h"
#include "conversion/run_progress.h"
#include "conversion/shortcut_writer.h"

namespace merkwandel::conversion {

// The first bytes of `file`, up to `count`: fewer at its end or when reading
// fails.
std::string ReadHead(platform::InputFile& file, std::size_t count);

// Hands every bookmark of the database `path` to `writer`, in the order of
// Firefox's own HTML export, pumps events once after each and tells
// `progress` the bookmarks handed over of those the tree holds.
ReadOutcome ConvertPlacesSnapshot(app::Root& root, ShortcutWriter& writer, RunProgress& progress,
                                  const std::string& path);

}  // namespace merkwandel::conversion
