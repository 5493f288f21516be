// Converting the bookmark file of a Chromium-family browser (Chrome, Edge,
// Brave, Vivaldi, Opera, Chromium): the JSON file `Bookmarks` in the
// profile folder, and `AccountBookmarks` beside it, where Chrome keeps the
// signed-in account's bookmarks in the same format.
//
// The file is an object whose `roots` object holds the roots
// `bookmark_bar`, `other` and `synced`. A node is an object with `type`
// "url" (with `name` and `url`) or "folder" (with `name` and `children`, an
// array of nodes); keys come in any order, and every other key, root and
// node type gives nothing. The bookmarks come in the order of the browser's
// own HTML export: the bookmark bar, other, synced, each depth first with
// the children in their order; with both files, for each root the
// subtree of `Bookmarks` and then that of `AccountBookmarks`.
//
// Both files are read to their ends before the first bookmark is written,
// so that a damaged one writes nothing. Memory holds the bookmarks' URLs
// and titles, not the file: the rest (`sync_metadata` often is half the
// file) is read past.
#pragma once

#include <functional>
#include <string>

#include "app/root.h"
#include "conversion/run_progress.h"
#include "conversion/shortcut_writer.h"
#include "platform/platform.h"

namespace merkwandel::conversion {

// Hands every bookmark of `file`, opened from `path`, to `writer`, with
// those of the other file of the pair when `path` names `Bookmarks` or
// `AccountBookmarks` (in any letter case) and the other lies beside it.
// Pumps events after every block read and after every bookmark, and tells
// `progress` the bookmarks written of those read from both files. Calls
// `close` once `file` is read to its end, which it then no longer uses, so
// that the browser may replace it while the shortcuts are written.
ReadOutcome ConvertChromiumBookmarks(app::Root& root, ShortcutWriter& writer, RunProgress& progress,
                                     platform::InputFile& file, const std::string& path,
                                     const std::function<void()>& close);

}  // namespace merkwandel::conversion
