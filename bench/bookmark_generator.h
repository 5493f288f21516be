// Bookmark files in the shapes browsers export, generated for measuring and
// for testing at scale: current Firefox (LF line ends, a Content-Security-
// Policy header, inline favicons, the first bookmark on line 14) and Chrome
// (CR LF, the first bookmark on line 11), plus two hostile files: a huge
// description block without any end tag, and one entry with a huge favicon.
//
// Every file comes with what a conversion should make of it: one shortcut
// per bookmark, its file name on disk and its URL. The names are written
// down by hand next to the titles they come from (a ":" or "|" dropped, a
// "/" turned into "-", escapes decoded), not computed by the program's own
// rules, so a conversion can be checked against them.
//
// Everything is deterministic in the seed.
#pragma once

#include <cstddef>
#include <cstdint>
#include <istream>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace merkwandel::bench {

enum class Browser { kFirefox, kChrome };

// One shortcut that converting a generated file must write.
struct ExpectedShortcut {
  std::string name;  // the file name on disk, UTF-8, without ".url"
  std::string url;

  bool operator==(const ExpectedShortcut&) const = default;
};

// An export of `count` bookmarks with distinct titles in folders, as
// `browser` writes it.
std::vector<ExpectedShortcut> WriteExport(std::ostream& out, Browser browser, std::size_t count,
                                          std::uint64_t seed);

// A Firefox export with ten bookmarks, then one whose description runs on
// for `blockBytes` bytes of lines that hold no "</A>", then ten more.
std::vector<ExpectedShortcut> WriteLongDescription(std::ostream& out, std::size_t blockBytes,
                                                   std::uint64_t seed);

// A Firefox export with ten bookmarks, then one whose inline favicon is
// `iconBytes` characters long, then ten more.
std::vector<ExpectedShortcut> WriteHugeFavicon(std::ostream& out, std::size_t iconBytes,
                                               std::uint64_t seed);

// The list of shortcuts as text: one line "name<TAB>URL" each, LF ended.
void WriteManifest(std::ostream& out, const std::vector<ExpectedShortcut>& shortcuts);
// Reads what WriteManifest wrote; nothing when a line is malformed.
std::optional<std::vector<ExpectedShortcut>> ReadManifest(std::istream& in);

// The bytes of a shortcut file for `url`.
std::string ShortcutBytes(const std::string& url);

}  // namespace merkwandel::bench
