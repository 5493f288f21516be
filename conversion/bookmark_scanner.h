// The bookmark scanner: the reading loop of a conversion run. It reads the
// bookmark file, appends every line (without its line end) to the scan
// buffer, and at every line end looks for the first end tag "</A>" in the
// buffer. When there is one, the bookmark's own start tag is the last
// "<A HREF" in front of it; the writer gets the text from that tag to the end
// tag, and the buffer is cut so that it begins with the "/A>" of that end
// tag. Both markers are found in any letter case.
//
// A line ends at a CR, and at an LF that does not directly follow a CR (so
// CR LF, CR alone and LF alone each end one line). A last line without line
// end is handled as if one followed, and bookmarks still waiting in the
// buffer at the end of the file are handed over one by one.
//
// Each character of the file is looked at a bounded number of times, so the
// work is linear in the size of the file, and the buffer never holds more
// than the lines read since the last end tag.
#pragma once

#include <cstdint>
#include <string_view>

#include "app/root.h"
#include "conversion/shortcut_writer.h"
#include "platform/platform.h"

namespace merkwandel::conversion {

class BookmarkScanner {
 public:
  enum class Outcome {
    kEndOfFile,      // read to the end
    kReadError,      // reading failed; what was read so far was handled
    kWindowClosing,  // an event pump reported that the window is closing
  };

  BookmarkScanner(app::Root& root, ShortcutWriter& writer);

  // Reads `file` to its end, handing over every line end, and pumps events
  // once after each.
  Outcome ReadAll(platform::InputFile& file);

  std::uint64_t LineEnds() const { return lineEnds_; }
  std::uint64_t ShortcutsWritten() const { return shortcutsWritten_; }

 private:
  // Handles one line end and pumps events; false when the window is closing.
  bool LineEnd();
  // Hands over the first bookmark the buffer holds, if any, and cuts the
  // buffer behind its end tag. True when an end tag was found.
  bool HandOverFirstEndTag();
  // Position of the first "</A>" in `text` (the buffer), npos for none.
  // Searches only what it has not searched before, and remembers the last
  // start tag it passes.
  std::size_t FindEndTag(std::string_view text);

  static constexpr std::size_t kStartTagLength = 7;  // "<A HREF"

  app::Root& root_;
  ShortcutWriter& writer_;
  app::ScanBuffer& buffer_;
  std::size_t searchedUpTo_ = 0;  // the buffer's text before this holds no "</A>"
  // Position of the "A HREF" of the last "<A HREF" in front of searchedUpTo_.
  std::size_t lastStartTag_ = std::string_view::npos;
  bool lineHasCharacters_ = false;
  bool afterCarriageReturn_ = false;
  std::uint64_t lineEnds_ = 0;
  std::uint64_t shortcutsWritten_ = 0;
};

}  // namespace merkwandel::conversion
