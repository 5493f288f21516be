// The bookmark scanner: the reading loop of a conversion run. It reads the
// bookmark file, appends every line (without its line end) to the scan
// buffer, and looks for end tags "</A>" in the buffer as text comes. For
// each, at once, the bookmark's own start tag is the last "<A HREF" in front
// of it; the writer gets the text from that tag to the end tag, and the
// buffer is cut so that it begins with the "/A>" of that end tag. Both
// markers are found in any letter case, also when a line end stood inside
// them.
//
// A line ends at a CR, and at an LF that does not directly follow a CR (so
// CR LF, CR alone and LF alone each end one line). A last line without line
// end is handled as if one followed. Lines are joined without a separator,
// but where a line ended inside a bookmark (behind its start tag) the buffer
// holds one LF, which the tags' search skips and the title reads as white
// space (see ReadEntry).
//
// The buffer keeps only what a later bookmark can still use: the text from
// the last start tag on, or without one, a "<" too close to the end to tell
// what it begins. What lies in front is dropped as it is read, inside a long
// line too, so memory is bounded by the longest entry, not by the distance
// between end tags nor by the length of a line. An entry that grows past
// 64 MiB is given up: its text is dropped, and its end tag then closes
// nothing.
//
// Each character of the file is looked at a bounded number of times, so the
// work is linear in the size of the file.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "app/root.h"
#include "conversion/run_progress.h"
#include "conversion/shortcut_writer.h"
#include "platform/platform.h"

namespace merkwandel::conversion {

class BookmarkScanner {
 public:
  enum class Outcome {
    kEndOfFile,      // read to the end
    kReadError,      // reading failed; what was read so far was handled
    kOutOfMemory,    // memory ran out; what was written so far stays
    kWindowClosing,  // an event pump reported that the window is closing
  };

  BookmarkScanner(app::Root& root, ShortcutWriter& writer, RunProgress& progress);

  // Reads `file` to its end, handing over every bookmark, and pumps events
  // once after each line end and after each bookmark handed over before its
  // line end was read. Tells `progress` the bytes handled of the file's
  // size, behind each line end and where a block read ends inside a line. When memory runs out, in the scanner or the writer,
  // reading ends there and the buffer is emptied.
  Outcome ReadAll(platform::InputFile& file);

  std::uint64_t LineEnds() const { return lineEnds_; }
  std::uint64_t ShortcutsWritten() const { return shortcutsWritten_; }

 private:
  Outcome Read(platform::InputFile& file);
  // Handles one line end and pumps events; false when the window is closing.
  bool LineEnd();
  // Hands every bookmark that an end tag in the buffer closes to the
  // writer, pumping events after each unless `atLineEnd`, and drops what no
  // later bookmark can use. False when the window is closing.
  bool Scan(bool atLineEnd);
  // Position of the first "</A>" in `text` (the buffer), npos for none.
  // Searches only what it has not searched before, and remembers the last
  // start tag it passes.
  std::size_t FindEndTag(std::string_view text);
  // The bookmark that the end tag at `end` of `text` (the buffer) closes,
  // from its start tag; empty without one.
  std::string_view EntryBefore(std::string_view text, std::size_t end) const;
  // Cuts the buffer behind the "<" of the end tag at `end`.
  void CutAt(std::size_t end);

  app::Root& root_;
  ShortcutWriter& writer_;
  RunProgress& progress_;
  app::ScanBuffer& buffer_;
  std::size_t searchedUpTo_ = 0;  // the buffer's text before this holds no "</A>"
  // Position of the "<" of the last "<A HREF" in front of searchedUpTo_.
  std::size_t lastStartTag_ = std::string_view::npos;
  bool lineHasCharacters_ = false;
  bool afterCarriageReturn_ = false;
  std::uint64_t lineEnds_ = 0;
  std::uint64_t shortcutsWritten_ = 0;
};

}  // namespace merkwandel::conversion
