// The shortcut writer: writes the Internet shortcut file of one bookmark into
// the target folder, for bookmarks read from an HTML file (at every line end
// of a conversion run, once the scanner has found what the scan buffer
// holds) and from a Firefox bookmark database alike. It makes sure the
// target folder's text ends in "\".
#pragma once

#include <string>
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

  // Writes the shortcut of one bookmark given by its URL, as it is to be
  // written, and its title as text (a byte that is not UTF-8 counts as its
  // Windows-1252 character). True when a shortcut file was written.
  bool WriteBookmark(std::string_view url, std::string_view title);

 private:
  // The target folder's text, with a "\" appended to the field when it
  // doesn't end in one: the file name is built by plain concatenation.
  std::string TargetFolder();
  // No file for an empty URL, a URL of more than 2083 characters or a title
  // that gives no name.
  bool Write(const std::string& folder, std::string_view url, std::string_view title);

  app::Root& root_;
};

}  // namespace merkwandel::conversion
