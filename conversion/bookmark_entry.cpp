#include "conversion/bookmark_entry.h"

#include <algorithm>
#include <optional>

#include "platform/common/unicode.h"
#include "platform/common/windows_path.h"

namespace merkwandel::conversion {
namespace {

// Where a line of the file ended (see ReadEntry).
constexpr char kLineEnd = '\n';

// White space as in HTML: in a title, a run of it shows as one space.
bool IsWhiteSpace(char c) { return c == ' ' || c == '\t' || c == '\f' || c == '\r' || c == '\n'; }
// Separates the attributes of a tag; a line end does not, as the lines are joined there.
bool IsBlank(char c) { return IsWhiteSpace(c) && c != kLineEnd; }

using unicode::LowerAscii;

// An attribute's name without line ends, as the lines were joined.
std::string Joined(std::string_view name) {
  std::string joined(name);
  std::erase(joined, kLineEnd);
  return joined;
}

bool EqualsIgnoreCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (LowerAscii(a[i]) != LowerAscii(b[i])) return false;
  }
  return true;
}

// The value of a character reference that starts at `text[0]` ("&"), with
// the reference's length.
struct Reference {
  char32_t codePoint;
  std::size_t length;
};
std::optional<Reference> ReadReference(std::string_view text) {
  static constexpr struct {
    std::string_view name;
    char32_t codePoint;
  } kNamed[] = {{"&amp;", U'&'},  {"&lt;", U'<'},  {"&gt;", U'>'},
                {"&quot;", U'"'}, {"&#39;", U'\''}, {"&apos;", U'\''}};
  for (const auto& named : kNamed) {
    if (text.substr(0, named.name.size()) == named.name) return Reference{named.codePoint, named.name.size()};
  }
  if (text.size() < 4 || text[1] != '#') return std::nullopt;
  const bool hex = text[2] == 'x' || text[2] == 'X';
  std::size_t i = hex ? 3 : 2;
  const std::size_t digitsStart = i;
  std::uint32_t value = 0;
  for (; i < text.size() && i < digitsStart + 8; ++i) {
    const char c = text[i];
    int digit;
    if (c >= '0' && c <= '9') {
      digit = c - '0';
    } else if (hex && c >= 'a' && c <= 'f') {
      digit = c - 'a' + 10;
    } else if (hex && c >= 'A' && c <= 'F') {
      digit = c - 'A' + 10;
    } else {
      break;
    }
    value = value * (hex ? 16u : 10u) + static_cast<std::uint32_t>(digit);
  }
  if (i == digitsStart || i >= text.size() || text[i] != ';') return std::nullopt;
  // As in HTML: 128 to 159 stand for the Windows-1252 characters of those bytes.
  const char32_t codePoint =
      value >= 0x80 && value <= 0x9F ? unicode::FromWindows1252(static_cast<unsigned char>(value)) : value;
  return Reference{codePoint, i + 1};
}

// A character a numeric reference may stand for.
bool IsDecodable(char32_t c) { return c != 0 && (c < 0xD800 || c > 0xDFFF) && c <= 0x10FFFF; }

// Characters beyond ASCII that a shortcut name leaves out: the C1 control
// characters and the bidirectional embeddings, overrides and isolates, with
// which a name would show in another order than it has (and disguise what a
// file is).
bool IsLeftOutOfName(char32_t c) {
  return c <= 0x9F || (c >= 0x202A && c <= 0x202E) || (c >= 0x2066 && c <= 0x2069);
}

// Decodes the character references of `raw`, each once. With `repairBytes`,
// a byte that is not part of a valid UTF-8 sequence becomes its
// Windows-1252 character; without, every byte but a reference's stays.
std::string DecodeReferences(std::string_view raw, bool repairBytes) {
  // One pass, so that nothing is decoded twice. Runs of plain characters
  // are copied whole.
  std::string decoded;
  decoded.reserve(raw.size());
  std::size_t i = 0;
  while (i < raw.size()) {
    std::size_t run = i;
    while (run < raw.size() && raw[run] != '&' && (!repairBytes || static_cast<unsigned char>(raw[run]) < 0x80)) {
      ++run;
    }
    decoded.append(raw.substr(i, run - i));
    i = run;
    if (i == raw.size()) break;
    if (raw[i] == '&') {
      const auto reference = ReadReference(raw.substr(i));
      if (reference && IsDecodable(reference->codePoint)) {
        unicode::AppendUtf8(decoded, reference->codePoint);
        i += reference->length;
      } else {
        decoded.push_back('&');
        ++i;
      }
    } else if (const auto sequence = unicode::DecodeUtf8(raw.substr(i))) {
      decoded.append(raw.substr(i, sequence->length));
      i += sequence->length;
    } else {
      unicode::AppendUtf8(decoded, unicode::FromWindows1252(static_cast<unsigned char>(raw[i])));
      ++i;
    }
  }
  return decoded;
}

}  // namespace

EntryParts ReadEntry(std::string_view entry) {
  // entry starts with "A HREF"; walk the attributes of the start tag.
  std::size_t i = 1;  // behind the tag name "A"
  std::optional<std::string_view> href;
  for (;;) {
    while (i < entry.size() && IsWhiteSpace(entry[i])) ++i;
    if (i >= entry.size()) return {};  // the start tag does not close
    if (entry[i] == '>') {
      ++i;
      break;
    }
    const std::size_t nameStart = i;
    while (i < entry.size() && !IsBlank(entry[i]) && entry[i] != '=' && entry[i] != '>') ++i;
    const std::string name = Joined(entry.substr(nameStart, i - nameStart));
    while (i < entry.size() && IsWhiteSpace(entry[i])) ++i;
    if (i >= entry.size() || entry[i] != '=') continue;  // an attribute without value
    ++i;
    while (i < entry.size() && IsWhiteSpace(entry[i])) ++i;
    if (i >= entry.size()) return {};
    std::string_view value;
    if (entry[i] == '"' || entry[i] == '\'') {
      const auto close = entry.find(entry[i], i + 1);
      if (close == std::string_view::npos) return {};
      value = entry.substr(i + 1, close - i - 1);
      i = close + 1;
    } else {
      const std::size_t valueStart = i;
      while (i < entry.size() && !IsBlank(entry[i]) && entry[i] != '>') ++i;
      value = entry.substr(valueStart, i - valueStart);
    }
    if (!href && EqualsIgnoreCase(name, "HREF")) href = value;
  }
  if (!href) return {};
  return EntryParts{DecodeReferences(*href, false), std::string(entry.substr(i))};
}

std::string DecodeTitle(std::string_view rawTitle) { return DecodeReferences(rawTitle, true); }

std::string ShortcutName(std::string_view title) {
  std::string name;
  name.reserve(std::min(title.size(), 4 * kMaxNameLength));
  std::size_t characters = 0;
  bool begun = false;  // a character other than white space came
  bool space = false;  // white space since the last such character
  std::size_t i = 0;
  while (i < title.size() && characters < kMaxNameLength) {
    const auto byte = static_cast<unsigned char>(title[i]);
    if (IsWhiteSpace(title[i])) {
      space = begun;
      ++i;
      continue;
    }
    begun = true;
    if (space) {
      space = false;
      name.push_back(' ');
      if (++characters == kMaxNameLength) break;
    }
    if (byte < 0x80) {
      ++i;
      if (byte == '\\' || byte == '/') {
        name.push_back('-');
        ++characters;
      } else if (!winpath::IsForbiddenInName(byte) && byte != 0x7F) {
        name.push_back(static_cast<char>(byte));
        ++characters;
      }
      continue;
    }
    const auto sequence = unicode::DecodeUtf8(title.substr(i));
    const char32_t c = sequence ? sequence->codePoint : unicode::FromWindows1252(byte);
    i += sequence ? sequence->length : 1;
    if (!IsLeftOutOfName(c)) {
      unicode::AppendUtf8(name, c);
      ++characters;
    }
  }
  // No blank at either end, where removed characters left one.
  name.erase(0, std::min(name.find_first_not_of(' '), name.size()));
  name.erase(name.find_last_not_of(' ') + 1);
  if (winpath::IsReservedDeviceName(name)) name.insert(0, "_");
  return name;
}

std::string ShortcutContent(std::string_view url) {
  std::string content = "[InternetShortcut]\r\nURL=";
  content.append(url);
  content.append("\r\n");
  return content;
}

}  // namespace merkwandel::conversion
