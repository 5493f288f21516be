// The shortcut writer: writes the Internet shortcut file of one bookmark into
// the target folder, for bookmarks read from an HTML file (each as soon as
// the scanner finds its end tag) and from a Firefox bookmark database alike.
// It makes sure the target folder's text ends in "\".
//
// It lives for one run and remembers the names it wrote in it, each with its
// URL, so that no bookmark of the run replaces another one's file: a
// bookmark goes to the first of "Name", "Name (2)", "Name (3)", ... that
// this run has not written yet or has written with the same URL (names
// compared as Windows compares them, without regard to letter case). A file
// that this run did not write is replaced, so that converting the same file
// again into the same folder gives the same files.
//
// A numbered name whose path would be longer than MAX_PATH allows (259
// UTF-16 units, by the target folder's text and by the path it stands for,
// whichever is longer) is cut before its number: to the longest start of
// "Name" of whole characters that leaves room for the number and ".url",
// without blanks at its end. Where not even one character is left, the
// name stays uncut (and its file can't be written). A cut name ends in its
// number, so it is never a device name; it counts as the name it is, so it
// takes no name of another bookmark of the run.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>

#include "app/root.h"
#include "conversion/keyed_digest.h"

namespace merkwandel::conversion {

// How a reader that hands a whole file's bookmarks to the writer ended.
enum class ReadOutcome {
  kRead,           // every bookmark was handed to the writer, or memory ran out on the way
  kUnreadable,     // the file is not one the reader reads (damaged, torn, unreadable): nothing written
  kWindowClosing,  // an event pump reported that the window is closing
};

class ShortcutWriter {
 public:
  explicit ShortcutWriter(app::Root& root) : root_(root), digest_(root.Platform().Ui()) {}

  // Called at every line end of an HTML file: the target folder's text gets
  // its "\" at the first one, also when no bookmark follows.
  void LineEnd() { TargetFolder(); }

  // Writes the bookmark `entry`, which runs from the bookmark's own start
  // tag (at its "A HREF") to right before the end tag (see ReadEntry). True
  // when a shortcut file was written.
  bool WriteEntry(std::string_view entry);

  // Writes the shortcut of one bookmark given by its URL, as it is to be
  // written, and its title as text (a byte that is not UTF-8 counts as its
  // Windows-1252 character). True when a shortcut file was written.
  //
  // The URL loses every character below U+0020 and DEL (a line end would
  // begin a line of its own in the file; browsers leave them out of links
  // too). No file for a URL that is then empty, longer than 2083 characters
  // (UTF-16 units, as Windows counts them) or one of Firefox's saved
  // queries ("place:"), which no other program opens. A title that gives no
  // name is named after the URL without its "scheme://".
  bool WriteBookmark(std::string_view url, std::string_view title);

 private:
  // The target folder's text, with a "\" appended to the field when it
  // doesn't end in one: the file name is built by plain concatenation.
  const std::string& TargetFolder();
  // The name for `name` (not empty) and `url` by the rule above.
  std::string FreeName(const std::string& name, const std::string& url);
  // "Name (number)", cut by the rule above.
  std::string Numbered(const std::string& name, std::uint64_t number) const;

  app::Root& root_;
  // Names (their unicode::UpperCaseKey) and URLs are kept as 64-bit digests
  // under a key drawn for the run, so that a run of 100,000 bookmarks keeps
  // a few megabytes, not the texts, and no file can make two of its URLs
  // count as one. Two names of one digest (about once in three billion
  // runs of 100,000 bookmarks) cost a needless number; two URLs of one name
  // with one digest, far rarer still, would share a file.
  KeyedDigest digest_;
  std::string folder_;
  // The UTF-16 units a file's name, ".url" included, may take in the folder.
  std::size_t room_ = 0;
  // The names this run wrote, each with its URL.
  std::unordered_map<std::uint64_t, std::uint64_t> urlOfName_;
  // For a name taken by another URL: the first number not yet looked at,
  // and the name already found for a URL, by the name's and the URL's digests.
  std::unordered_map<std::uint64_t, std::uint64_t> nextNumber_;
  std::map<std::pair<std::uint64_t, std::uint64_t>, std::string> numberedName_;
};

}  // namespace merkwandel::conversion
