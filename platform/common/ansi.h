// Windows-1252, the ANSI code page of the systems Merkwandel serves, as pure
// functions: the host backend converts file names with them, and the tests
// use them to write and read ANSI text.
#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace merkwandel::ansi {

// The character a Windows-1252 byte stands for. The five bytes that the code
// page leaves undefined (0x81, 0x8D, 0x8F, 0x90, 0x9D) stand for the C1
// control character of the same number, as Windows converts them.
char32_t ToUnicode(unsigned char byte);

// The Windows-1252 byte for a character, or nothing when there is none.
std::optional<unsigned char> FromUnicode(char32_t codePoint);

// Windows-1252 text as UTF-8.
std::string ToUtf8(std::string_view ansiText);

// UTF-8 text as Windows-1252; a character the code page lacks, and every byte
// that is not part of a valid UTF-8 sequence, becomes `replacement`.
std::string FromUtf8(std::string_view utf8Text, char replacement = '?');

// Upper case of a Windows-1252 letter, as file names compare; other bytes
// come back unchanged.
constexpr unsigned char ToUpper(unsigned char byte) {
  if (byte >= 'a' && byte <= 'z') return static_cast<unsigned char>(byte - 0x20);
  // à to þ, except the division sign ÷ (0xF7).
  if (byte >= 0xE0 && byte <= 0xFE && byte != 0xF7) return static_cast<unsigned char>(byte - 0x20);
  switch (byte) {
    case 0x9A: return 0x8A;  // š
    case 0x9C: return 0x8C;  // œ
    case 0x9E: return 0x8E;  // ž
    case 0xFF: return 0x9F;  // ÿ
    default: return byte;
  }
}

// ToUpper of every byte, for loops over whole names.
inline constexpr std::array<unsigned char, 256> kUpper = [] {
  std::array<unsigned char, 256> upper{};
  for (std::size_t b = 0; b < upper.size(); ++b) upper[b] = ToUpper(static_cast<unsigned char>(b));
  return upper;
}();

// Decodes one UTF-8 sequence at the start of `text`. Gives the character and
// the length of the sequence, or nothing when `text` does not start with a
// valid, shortest-form sequence of a Unicode scalar value.
struct Utf8Sequence {
  char32_t codePoint;
  std::size_t length;
};
std::optional<Utf8Sequence> DecodeUtf8(std::string_view text);

}  // namespace merkwandel::ansi
