#include "platform/common/ansi.h"

#include <array>

namespace merkwandel::ansi {
namespace {

// 0x80 to 0x9F; every other byte stands for the character of its own number.
constexpr std::array<char32_t, 32> kHighControlRange = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

void AppendUtf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out.push_back(static_cast<char>(c));
  } else if (c < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (c >> 6)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  } else if (c < 0x10000) {
    out.push_back(static_cast<char>(0xE0 | (c >> 12)));
    out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xF0 | (c >> 18)));
    out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  }
}

}  // namespace

char32_t ToUnicode(unsigned char byte) {
  if (byte >= 0x80 && byte <= 0x9F) return kHighControlRange[byte - 0x80];
  return byte;
}

std::optional<unsigned char> FromUnicode(char32_t codePoint) {
  if (codePoint < 0x80 || (codePoint >= 0xA0 && codePoint <= 0xFF)) {
    return static_cast<unsigned char>(codePoint);
  }
  for (std::size_t i = 0; i < kHighControlRange.size(); ++i) {
    if (kHighControlRange[i] == codePoint) return static_cast<unsigned char>(0x80 + i);
  }
  return std::nullopt;
}

std::string ToUtf8(std::string_view ansiText) {
  std::string out;
  out.reserve(ansiText.size());
  for (std::size_t i = 0; i < ansiText.size();) {
    // Runs of ASCII, the usual case, are copied whole.
    std::size_t run = i;
    while (run < ansiText.size() && static_cast<unsigned char>(ansiText[run]) < 0x80) ++run;
    out.append(ansiText.substr(i, run - i));
    if (run == ansiText.size()) break;
    AppendUtf8(out, ToUnicode(static_cast<unsigned char>(ansiText[run])));
    i = run + 1;
  }
  return out;
}

std::optional<Utf8Sequence> DecodeUtf8(std::string_view text) {
  if (text.empty()) return std::nullopt;
  const auto lead = static_cast<unsigned char>(text[0]);
  std::size_t length;
  char32_t c;
  if (lead < 0x80) return Utf8Sequence{lead, 1};
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
    c = lead & 0x1F;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    c = lead & 0x0F;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    c = lead & 0x07;
  } else {
    return std::nullopt;
  }
  if (text.size() < length) return std::nullopt;
  for (std::size_t i = 1; i < length; ++i) {
    const auto trail = static_cast<unsigned char>(text[i]);
    if ((trail & 0xC0) != 0x80) return std::nullopt;
    c = (c << 6) | (trail & 0x3F);
  }
  const bool overlong = (length == 3 && c < 0x800) || (length == 4 && c < 0x10000);
  const bool surrogate = c >= 0xD800 && c <= 0xDFFF;
  if (overlong || surrogate || c > 0x10FFFF) return std::nullopt;
  return Utf8Sequence{c, length};
}

std::string FromUtf8(std::string_view utf8Text, char replacement) {
  std::string out;
  out.reserve(utf8Text.size());
  std::size_t i = 0;
  while (i < utf8Text.size()) {
    std::size_t run = i;
    while (run < utf8Text.size() && static_cast<unsigned char>(utf8Text[run]) < 0x80) ++run;
    out.append(utf8Text.substr(i, run - i));
    i = run;
    if (i == utf8Text.size()) break;
    const auto sequence = DecodeUtf8(utf8Text.substr(i));
    if (!sequence) {
      out.push_back(replacement);
      ++i;
      continue;
    }
    const auto byte = FromUnicode(sequence->codePoint);
    out.push_back(byte ? static_cast<char>(*byte) : replacement);
    i += sequence->length;
  }
  return out;
}

}  // namespace merkwandel::ansi
