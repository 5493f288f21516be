// What one bookmark entry of the bookmark file yields: its URL, its title
// as text, and the name of the shortcut file made from that title.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "platform/platform.h"

namespace merkwandel::conversion {

// The longest URL written into a shortcut: the longest Internet Explorer opens.
inline constexpr std::size_t kMaxUrlLength = 2083;
// The longest shortcut name, without ".url" (and without a "_" put in front
// of a device name).
inline constexpr std::size_t kMaxNameLength = 49;

struct EntryParts {
  std::string url;    // as it stands in the file
  std::string title;  // raw: still UTF-8 and escaped as the browser wrote it
};

// Reads the bookmark of `entry`, which starts with the bookmark's own start
// tag (at its "A HREF") and ends right before the "</A>" that closes it.
// The URL is the value of the tag's HREF attribute: after "=", a value in
// double quotes up to the closing double quote, in single quotes likewise,
// or unquoted up to a blank or ">". The title is the text between the ">"
// that closes the start tag (one inside a quoted value does not) and the
// end. When the tag does not close, or HREF has no value, both are empty.
EntryParts ReadEntry(std::string_view entry);

// The title's text in the ANSI code page: every UTF-8 sequence whose
// character the code page holds becomes that character (any other stays as
// it arrived), then the references "&amp;", "&lt;", "&gt;", "&quot;",
// "&#39;", "&apos;" and numeric ones ("&#252;", "&#xFC;") whose character the
// code page holds become their characters.
std::string DecodeTitle(std::string_view rawTitle, platform::Encoding& encoding);

// The name of the shortcut file for a title, without folder and ".url": "\"
// and "/" become "-"; < > : " | ? * and the control characters are removed;
// a longer name is cut to its first 49 characters; a reserved device name
// gets "_" in front. Empty when nothing is left.
std::string ShortcutName(std::string_view title);

// The content of a shortcut file: two lines, each ended by CR LF.
std::string ShortcutContent(std::string_view url);

}  // namespace merkwandel::conversion
