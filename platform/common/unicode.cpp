#include "platform/common/unicode.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <utility>

namespace merkwandel::unicode {
namespace {

// Windows-1252 0x80 to 0x9F; every other byte stands for the character of
// its own number.
constexpr std::array<char32_t, 32> kWindows1252High = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

struct UpperRun {
  std::uint16_t first;
  std::uint16_t last;
  std::int32_t offset;
  std::uint16_t step;
};
constexpr UpperRun kUpperRuns[] = {
#include "platform/common/upper_case_table.inc"
};

constexpr char32_t kReplacement = 0xFFFD;

bool IsAscii(char c) { return static_cast<unsigned char>(c) < 0x80; }

}  // namespace

std::optional<Utf8Sequence> DecodeUtf8(std::string_view text) {
  if (text.empty()) return std::nullopt;
  const auto lead = static_cast<unsigned char>(text[0]);
  if (lead < 0x80) return Utf8Sequence{lead, 1};
  std::size_t length;
  char32_t c;
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

char32_t FromWindows1252(unsigned char byte) {
  if (byte >= 0x80 && byte <= 0x9F) return kWindows1252High[byte - 0x80];
  return byte;
}

std::string RepairUtf8(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size());
  std::size_t i = 0;
  while (i < bytes.size()) {
    // Runs of ASCII, the usual case, are copied whole.
    const std::size_t run =
        std::find_if_not(bytes.begin() + static_cast<std::ptrdiff_t>(i), bytes.end(), IsAscii) -
        bytes.begin();
    out.append(bytes.substr(i, run - i));
    i = run;
    if (i == bytes.size()) break;
    if (const auto sequence = DecodeUtf8(bytes.substr(i))) {
      out.append(bytes.substr(i, sequence->length));
      i += sequence->length;
    } else {
      AppendUtf8(out, FromWindows1252(static_cast<unsigned char>(bytes[i])));
      ++i;
    }
  }
  return out;
}

std::u16string ToUtf16(std::string_view utf8) {
  std::u16string out;
  out.reserve(utf8.size());
  std::size_t i = 0;
  while (i < utf8.size()) {
    const auto sequence = DecodeUtf8(utf8.substr(i));
    const char32_t c = sequence ? sequence->codePoint : kReplacement;
    i += sequence ? sequence->length : 1;
    if (c >= 0x10000) {
      const char32_t rest = c - 0x10000;
      out.push_back(static_cast<char16_t>(0xD800 + (rest >> 10)));
      out.push_back(static_cast<char16_t>(0xDC00 + (rest & 0x3FF)));
    } else {
      out.push_back(static_cast<char16_t>(c));
    }
  }
  return out;
}

std::string FromUtf16(std::u16string_view utf16) {
  std::string out;
  out.reserve(utf16.size());
  for (std::size_t i = 0; i < utf16.size(); ++i) {
    char32_t c = utf16[i];
    if (c >= 0xD800 && c <= 0xDBFF && i + 1 < utf16.size() && utf16[i + 1] >= 0xDC00 &&
        utf16[i + 1] <= 0xDFFF) {
      c = 0x10000 + ((c - 0xD800) << 10) + (utf16[i + 1] - 0xDC00);
      ++i;
    } else if (c >= 0xD800 && c <= 0xDFFF) {
      c = kReplacement;
    }
    AppendUtf8(out, c);
  }
  return out;
}

namespace {
// Walks `utf8` a character at a time while the UTF-16 units walked stay
// within `limit`: the bytes and the units walked.
std::pair<std::size_t, std::size_t> WalkUtf16(std::string_view utf8, std::size_t limit) {
  std::size_t units = 0;
  std::size_t i = 0;
  while (i < utf8.size()) {
    std::size_t length = 1, width = 1;  // ASCII, the usual case, and a byte that is not UTF-8
    if (!IsAscii(utf8[i])) {
      if (const auto sequence = DecodeUtf8(utf8.substr(i))) {
        length = sequence->length;
        width = sequence->codePoint >= 0x10000 ? 2 : 1;
      }
    }
    if (units + width > limit) break;
    units += width;
    i += length;
  }
  return {i, units};
}
}  // namespace

std::size_t Utf16Length(std::string_view utf8) { return WalkUtf16(utf8, utf8.size()).second; }

std::size_t Utf16Prefix(std::string_view utf8, std::size_t units) { return WalkUtf16(utf8, units).first; }

char32_t ToUpper(char32_t c) {
  if (c < 0x80) return c >= 'a' && c <= 'z' ? c - 0x20 : c;
  if (c > 0xFFFF) return c;
  // The last run that starts at or before c.
  const auto* run = std::upper_bound(std::begin(kUpperRuns), std::end(kUpperRuns), c,
                                     [](char32_t value, const UpperRun& r) { return value < r.first; });
  if (run == std::begin(kUpperRuns)) return c;
  --run;
  if (c > run->last || (c - run->first) % run->step != 0) return c;
  return static_cast<char32_t>(static_cast<std::int32_t>(c) + run->offset);
}

std::string UpperCaseKey(std::string_view utf8) {
  std::string key(utf8);
  std::size_t i = 0;
  // ASCII letters in place; from the first other character on, rebuilt.
  for (; i < key.size() && IsAscii(key[i]); ++i) {
    if (key[i] >= 'a' && key[i] <= 'z') key[i] = static_cast<char>(key[i] - 0x20);
  }
  if (i == key.size()) return key;
  key.resize(i);
  while (i < utf8.size()) {
    const char c = utf8[i];
    if (IsAscii(c)) {
      key.push_back(c >= 'a' && c <= 'z' ? static_cast<char>(c - 0x20) : c);
      ++i;
      continue;
    }
    const auto sequence = DecodeUtf8(utf8.substr(i));
    if (!sequence) {
      key.push_back(c);
      ++i;
      continue;
    }
    AppendUtf8(key, ToUpper(sequence->codePoint));
    i += sequence->length;
  }
  return key;
}

}  // namespace merkwandel::unicode
