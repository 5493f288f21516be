// What one bookmark entry of the bookmark file yields: its URL, its title
// as text, and the name of the shortcut file made from that title.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace merkwandel::conversion {

// The longest URL written into a shortcut: the longest Internet Explorer opens.
inline constexpr std::size_t kMaxUrlLength = 2083;
// The longest shortcut name in characters (a character outside the Basic
// Multilingual Plane counts as one), without ".url" and without a "_" put in
// front of a device name.
inline constexpr std::size_t kMaxNameLength = 49;

struct EntryParts {
  std::string url;    // with its character references decoded, as in titles; its bytes as they are
  std::string title;  // raw: the bytes and references as the browser wrote them
};

// Reads the bookmark of `entry`, which starts with the bookmark's own start
// tag (at its "A HREF") and ends right before the "</A>" that closes it.
// The URL is the value of the tag's HREF attribute: after "=", a value in
// double quotes up to the closing double quote, in single quotes likewise,
// or unquoted up to a blank or ">", with its character references decoded
// as DecodeTitle decodes them (Firefox writes "&amp;" and "&#39;" in it,
// older versions a bare "&"). The title is the text between the ">"
// that closes the start tag (one inside a quoted value does not) and the
// end. When the tag does not close, or HREF has no value, both are empty.
// An LF stands where a line of the file ended: between and inside the
// attributes' names the lines are joined; in the URL it stays (the writer
// leaves it out, as every control character), and in the title too, as the
// white space it is there.
EntryParts ReadEntry(std::string_view entry);

// The title's text as UTF-8: every valid UTF-8 sequence stays as it is, and
// every byte that is not part of one is read as its Windows-1252 character
// (a file saved in the ANSI code page). The references "&amp;", "&lt;",
// "&gt;", "&quot;", "&#39;" and "&apos;" become their characters, and so
// does a numeric one ("&#1058;", "&#x422;") whatever the script, except for
// 0, surrogates and values above U+10FFFF, which stay as written; 128 to
// 159 stand for the Windows-1252 characters of those bytes ("&#150;" is
// "–"), as in HTML. Each reference is decoded once: "&amp;lt;" gives "&lt;".
// A "&" that starts no reference stays.
std::string DecodeTitle(std::string_view rawTitle);

// The name of the shortcut file for a title (UTF-8), without folder and
// ".url", in this order: white space (space, tab, CR, LF, form feed) counts
// as in HTML: each run of it is one space, none at the start or the end;
// "\" and "/" become "-"; < > : " | ? *, the control characters
// U+0000-U+001F and U+007F-U+009F and the bidirectional controls
// U+202A-U+202E and U+2066-U+2069 (with which a name shows backwards) are
// removed; a longer name is cut to its first 49 characters, never inside
// one; blanks left at either end are dropped; a reserved device name gets
// "_" in front. Nothing else changes (a no-break space stays). A byte that
// is not valid UTF-8 counts as its Windows-1252 character. Empty when
// nothing is left.
std::string ShortcutName(std::string_view title);

// The content of a shortcut file: two lines, each ended by CR LF.
std::string ShortcutContent(std::string_view url);

}  // namespace merkwandel::conversion
