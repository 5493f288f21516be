// Text inside Merkwandel is UTF-8. These pure functions convert it at the
// edges (UTF-16 for Windows, Windows-1252 for bytes of a bookmark file that
// are not UTF-8) and compare names as Windows file systems do.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace merkwandel::unicode {

// One UTF-8 sequence at the start of `text`: the character and the length
// of the sequence, or nothing when `text` does not start with a valid,
// shortest-form sequence of a Unicode scalar value.
struct Utf8Sequence {
  char32_t codePoint;
  std::size_t length;
};
std::optional<Utf8Sequence> DecodeUtf8(std::string_view text);

// Appends the UTF-8 form of a Unicode scalar value.
void AppendUtf8(std::string& out, char32_t codePoint);

// The character a Windows-1252 byte stands for. The five bytes the code page
// leaves undefined (0x81, 0x8D, 0x8F, 0x90, 0x9D) stand for the C1 control
// character of the same number, as Windows converts them.
char32_t FromWindows1252(unsigned char byte);

// Bytes as UTF-8 text: every valid UTF-8 sequence stays as it is, and every
// byte that is not part of one is read as its Windows-1252 character (a file
// saved in the ANSI code page).
std::string RepairUtf8(std::string_view bytes);

// UTF-8 as UTF-16, for the wide Windows calls; a byte that is not part of a
// valid sequence becomes U+FFFD.
std::u16string ToUtf16(std::string_view utf8);
// UTF-16 as UTF-8; an unpaired surrogate becomes U+FFFD.
std::string FromUtf16(std::u16string_view utf16);
// How many UTF-16 code units ToUtf16 gives: the length Windows measures
// paths in (MAX_PATH).
std::size_t Utf16Length(std::string_view utf8);
// The bytes of the longest start of `utf8` that ends between two
// characters and takes at most `units` UTF-16 code units.
std::size_t Utf16Prefix(std::string_view utf8, std::size_t units);

// The upper case of a character as Windows file systems compare names: the
// simple upper case of a character of the Basic Multilingual Plane, where it
// is one character of that plane; every other character is its own.
char32_t ToUpper(char32_t codePoint);
// The text with every character in that upper case: two names are the same
// name to Windows exactly when their keys are equal. Bytes that are not
// valid UTF-8 are kept as they are.
std::string UpperCaseKey(std::string_view utf8);
// The lower case of an ASCII letter; every other byte is its own (for the
// names of tags, attributes and URL schemes, which are ASCII).
constexpr char LowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

}  // namespace merkwandel::unicode
