// Windows path and file-name rules as pure functions, so that they hold the
// same on every build platform: how a path splits into drive, root and
// components, how Windows normalises it, and which names it forbids.
// Every text is UTF-8 (see platform.h); every character Windows gives a
// meaning in a path is ASCII, so paths split on bytes.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace merkwandel::winpath {

// Longest path that the file functions accept (MAX_PATH without its NUL),
// and the shorter limit of folder creation (room for an 8.3 name behind
// it), both in the units PathLength counts.
inline constexpr std::size_t kMaxPath = 259;
inline constexpr std::size_t kMaxFolderPath = 247;

// The length of a path or name as Windows measures it against those
// limits: in UTF-16 code units, so a character outside the Basic
// Multilingual Plane counts twice.
std::size_t PathLength(std::string_view path);

// The file functions take "/" as well as "\" as separator. (Splitting a path
// into folder and file name, as the program's own fields do, knows only "\".)
constexpr bool IsSeparator(char c) { return c == '\\' || c == '/'; }

struct ParsedPath {
  char drive = 0;                       // upper-case drive letter, 0 for none
  bool rooted = false;                  // starts at the root of its drive
  std::vector<std::string> components;  // normalised, never empty strings
  bool trailingSeparator = false;       // the text ended in a separator
};

// Splits and normalises a path as the Windows file functions do: runs of
// separators count as one, "." components vanish, ".." removes the component
// before it but never climbs above the root, a component that ends in a
// single "." loses it, and the last component loses its trailing dots and
// blanks. "C:x" counts as "C:\x" (each drive's current folder is its root
// here). Gives nothing for the empty path and for forms this program does not
// handle: network and device paths ("\\server\share", "\\?\").
std::optional<ParsedPath> Parse(std::string_view path);

// The normalised path as text, "\" between components.
std::string Format(const ParsedPath& path);

// The characters a file or folder name can't hold: < > : " / \ | ? * and the
// control characters 0 to 31. All are ASCII, so UTF-8 text is checked byte
// by byte: the bytes of a longer sequence are 0x80 and above.
constexpr bool IsForbiddenInName(unsigned char c) {
  switch (c) {
    case '<': case '>': case ':': case '"': case '/': case '\\': case '|': case '?': case '*':
      return true;
    default:
      return c < 32;
  }
}
bool HasWildcard(std::string_view name);  // "*" or "?"
// True when `name` can be a component: not empty and no forbidden character.
bool IsValidName(std::string_view name);

// CON, PRN, AUX, NUL, COM0-COM9, LPT0-LPT9 (also with the digits ¹ ² ³) in
// any letter case, as the part of `name` before its first "." with trailing
// blanks ignored: such a name opens a device, not a file.
bool IsReservedDeviceName(std::string_view name);

// Compares two names as Windows file systems do, ignoring letter case in
// every script (unicode::UpperCaseKey).
bool NamesEqual(std::string_view a, std::string_view b);
// The key under which names that count as equal are found.
std::string NameKey(std::string_view name);

// Matches a name against a search pattern with "*" (any run of characters)
// and "?" (any one character, whatever its length in UTF-8), ignoring
// letter case as NamesEqual does. "*.*" matches every name, also one
// without a dot.
bool MatchesPattern(std::string_view pattern, std::string_view name);

}  // namespace merkwandel::winpath
