// The shortcut writer: the work of every line end of a conversion run once
// the scanner has found what the scan buffer holds. It makes sure the
// target folder's text ends in "\", reads URL and title of a bookmark that
// an end tag closed, and writes its Internet shortcut file into the target
// folder.
#pragma once

#include <string_view>

#include "app/root.h"

namespace merkwandel::conversion {

class ShortcutWriter {
 public:
  explicit ShortcutWriter(app::Root& root) : root_(root) {}

  // Called at every line end. `entry` is empty when no end tag closed a
  // bookmark at this line end; otherwise it runs from the bookmark's own
  // start tag (at its "A HREF") to right before the end tag. Writes at most
  // one file; a file that can't be written is left out silently. True when
  // a shortcut file was written.
  bool HandleLineEnd(std::string_view entry);

 private:
  app::Root& root_;
};

}  // namespace merkwandel::conversion
