#include "platform/common/windows_path.h"

#include "platform/common/unicode.h"

namespace merkwandel::winpath {
namespace {

bool IsLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

char UpperAscii(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

// The name as the characters a pattern match compares: each in upper case;
// a byte that is not part of a valid UTF-8 sequence stands for itself, as a
// value no character has.
std::vector<char32_t> MatchCharacters(std::string_view text) {
  std::vector<char32_t> characters;
  characters.reserve(text.size());
  std::size_t i = 0;
  while (i < text.size()) {
    if (const auto sequence = unicode::DecodeUtf8(text.substr(i))) {
      characters.push_back(unicode::ToUpper(sequence->codePoint));
      i += sequence->length;
    } else {
      characters.push_back(0x110000 + static_cast<unsigned char>(text[i]));
      ++i;
    }
  }
  return characters;
}

}  // namespace

std::size_t PathLength(std::string_view path) { return unicode::Utf16Length(path); }

std::optional<ParsedPath> Parse(std::string_view path) {
  if (path.empty()) return std::nullopt;
  if (path.size() >= 2 && IsSeparator(path[0]) && IsSeparator(path[1])) return std::nullopt;

  ParsedPath parsed;
  std::size_t i = 0;
  if (path.size() >= 2 && IsLetter(path[0]) && path[1] == ':') {
    parsed.drive = UpperAscii(path[0]);
    parsed.rooted = true;  // drive-relative forms start at the drive's root
    i = 2;
  } else if (IsSeparator(path[0])) {
    parsed.rooted = true;
  }

  std::vector<std::string_view> raw;
  while (i < path.size()) {
    while (i < path.size() && IsSeparator(path[i])) ++i;
    const std::size_t start = i;
    while (i < path.size() && !IsSeparator(path[i])) ++i;
    if (i > start) raw.push_back(path.substr(start, i - start));
  }
  parsed.trailingSeparator = IsSeparator(path.back());

  for (std::size_t k = 0; k < raw.size(); ++k) {
    std::string component(raw[k]);
    const bool last = k + 1 == raw.size() && !parsed.trailingSeparator;
    if (component == ".") continue;
    if (component == "..") {
      if (!parsed.components.empty() && parsed.components.back() != "..") {
        parsed.components.pop_back();
      } else if (!parsed.rooted) {
        parsed.components.push_back(component);  // a relative path may climb
      }
      continue;
    }
    if (last) {
      while (!component.empty() && (component.back() == '.' || component.back() == ' ')) {
        component.pop_back();
      }
    } else if (component.size() >= 2 && component.back() == '.' &&
               component[component.size() - 2] != '.') {
      component.pop_back();
    }
    if (!component.empty()) parsed.components.push_back(std::move(component));
  }
  return parsed;
}

std::string Format(const ParsedPath& path) {
  std::string text;
  if (path.drive != 0) {
    text.push_back(path.drive);
    text.push_back(':');
  }
  if (path.rooted) text.push_back('\\');
  for (std::size_t k = 0; k < path.components.size(); ++k) {
    if (k > 0) text.push_back('\\');
    text += path.components[k];
  }
  return text;
}

bool HasWildcard(std::string_view name) {
  return name.find_first_of("*?") != std::string_view::npos;
}

bool IsValidName(std::string_view name) {
  if (name.empty()) return false;
  for (char c : name) {
    if (IsForbiddenInName(static_cast<unsigned char>(c))) return false;
  }
  return true;
}

bool IsReservedDeviceName(std::string_view name) {
  std::string_view base = name.substr(0, name.find('.'));
  while (!base.empty() && base.back() == ' ') base.remove_suffix(1);
  // Every device name has three letters, or three and a digit: most names
  // end here. The digits "¹", "²" and "³" take two bytes in UTF-8.
  if (base.size() < 3 || base.size() > 5) return false;
  char upper[3];
  for (std::size_t i = 0; i < 3; ++i) upper[i] = UpperAscii(base[i]);
  const std::string_view word(upper, 3);
  const std::string_view digit = base.substr(3);
  if (digit.empty()) return word == "CON" || word == "PRN" || word == "AUX" || word == "NUL";
  if (word != "COM" && word != "LPT") return false;
  return (digit.size() == 1 && digit[0] >= '0' && digit[0] <= '9') || digit == "¹" || digit == "²" ||
         digit == "³";
}

std::string NameKey(std::string_view name) { return unicode::UpperCaseKey(name); }

bool NamesEqual(std::string_view a, std::string_view b) { return NameKey(a) == NameKey(b); }

bool MatchesPattern(std::string_view patternText, std::string_view nameText) {
  if (patternText == "*.*") patternText = "*";
  const std::vector<char32_t> pattern = MatchCharacters(patternText);
  const std::vector<char32_t> name = MatchCharacters(nameText);
  // Iterative glob with one backtracking point per "*": linear in practice,
  // never exponential.
  constexpr std::size_t kNone = static_cast<std::size_t>(-1);
  std::size_t p = 0, n = 0, starP = kNone, starN = 0;
  while (n < name.size()) {
    if (p < pattern.size() && pattern[p] == U'*') {
      starP = p++;
      starN = n;
    } else if (p < pattern.size() && (pattern[p] == U'?' || pattern[p] == name[n])) {
      ++p;
      ++n;
    } else if (starP != kNone) {
      p = starP + 1;
      n = ++starN;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == U'*') ++p;
  return p == pattern.size();
}

}  // namespace merkwandel::winpath
