// Module IniFile: the text of an INI file, as the browsers of the Mozilla
// family write their profiles.ini and installs.ini, read into sections of
// keys and values. Pure: the caller reads the file.
//
// The text is UTF-8, with or without a byte order mark before it; lines end
// in LF or CR LF. A line "[name]" starts a section; a line "key=value" (split
// at its first "=") belongs to the section above it, and is ignored before
// the first section. Blanks and tabs at either end of a line, of a key and of
// a value don't count. Empty lines, lines beginning with ";" or "#" and
// every other line are ignored. Section names and keys keep their letter
// case and are compared as they stand. Sections of the same name stay
// apart, in the order of the file.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace merkwandel::system_helpers {

struct IniSection {
  std::string name;
  std::vector<std::pair<std::string, std::string>> entries;  // key and value, in the order of the file

  // The value of the section's first entry with `key`; nothing without one.
  std::optional<std::string> Value(std::string_view key) const;
};

// The sections of `text`, or nothing when it is not UTF-8 or holds a zero
// byte (a damaged file, or none of this kind).
std::optional<std::vector<IniSection>> ParseIni(std::string_view text);

}  // namespace merkwandel::system_helpers
