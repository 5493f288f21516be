#include "conversion/bookmark_entry.h"

#include <algorithm>
#include <optional>

#include "platform/common/ansi.h"
#include "platform/common/windows_path.h"

namespace merkwandel::conversion {
namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\f' || c == '\r' || c == '\n'; }

char LowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

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
  return Reference{static_cast<char32_t>(value), i + 1};
}

}  // namespace

EntryParts ReadEntry(std::string_view entry) {
  // entry starts with "A HREF"; walk the attributes of the start tag.
  std::size_t i = 1;  // behind the tag name "A"
  std::optional<std::string_view> href;
  for (;;) {
    while (i < entry.size() && IsBlank(entry[i])) ++i;
    if (i >= entry.size()) return {};  // the start tag does not close
    if (entry[i] == '>') {
      ++i;
      break;
    }
    const std::size_t nameStart = i;
    while (i < entry.size() && !IsBlank(entry[i]) && entry[i] != '=' && entry[i] != '>') ++i;
    const std::string_view name = entry.substr(nameStart, i - nameStart);
    while (i < entry.size() && IsBlank(entry[i])) ++i;
    if (i >= entry.size() || entry[i] != '=') continue;  // an attribute without value
    ++i;
    while (i < entry.size() && IsBlank(entry[i])) ++i;
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
  return EntryParts{std::string(*href), std::string(entry.substr(i))};
}

std::string DecodeTitle(std::string_view rawTitle, platform::Encoding& encoding) {
  // One pass does both steps: a character reference consists of ASCII
  // characters only, and converting UTF-8 neither makes nor changes ASCII
  // characters, so the references are the same before the conversion and
  // after it. Runs of plain ASCII characters are copied whole.
  std::string decoded;
  decoded.reserve(rawTitle.size());
  std::size_t i = 0;
  while (i < rawTitle.size()) {
    std::size_t run = i;
    while (run < rawTitle.size() && static_cast<unsigned char>(rawTitle[run]) < 0x80 && rawTitle[run] != '&') {
      ++run;
    }
    decoded.append(rawTitle.substr(i, run - i));
    i = run;
    if (i == rawTitle.size()) break;
    if (rawTitle[i] == '&') {
      if (const auto reference = ReadReference(rawTitle.substr(i))) {
        if (const auto converted = encoding.AnsiFromUnicode(reference->codePoint)) {
          decoded.push_back(static_cast<char>(*converted));
          i += reference->length;
          continue;
        }
      }
    } else if (const auto sequence = ansi::DecodeUtf8(rawTitle.substr(i))) {
      if (const auto converted = encoding.AnsiFromUnicode(sequence->codePoint)) {
        decoded.push_back(static_cast<char>(*converted));
        i += sequence->length;
        continue;
      }
    }
    decoded.push_back(rawTitle[i]);
    ++i;
  }
  return decoded;
}

std::string ShortcutName(std::string_view title) {
  std::string name(std::min(title.size(), kMaxNameLength), '\0');
  std::size_t length = 0;
  for (std::size_t i = 0; i < title.size() && length < kMaxNameLength; ++i) {
    const char c = title[i];
    if (c == '\\' || c == '/') {
      name[length++] = '-';
    } else if (!winpath::IsForbiddenInName(static_cast<unsigned char>(c))) {
      name[length++] = c;
    }
  }
  name.resize(length);
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
