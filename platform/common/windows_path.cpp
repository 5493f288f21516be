#include "platform/common/windows_path.h"


#include "platform/common/ansi.h"

namespace merkwandel::winpath {
namespace {

bool IsLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

char UpperAscii(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

unsigned char Upper(char c) { return ansi::kUpper[static_cast<unsigned char>(c)]; }

}  // namespace

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
  // Every device name has three or four characters: most names end here.
  if (base.size() != 3 && base.size() != 4) return false;
  char upper[4];
  for (std::size_t i = 0; i < base.size(); ++i) upper[i] = UpperAscii(base[i]);
  const std::string_view word(upper, base.size());
  if (word == "CON" || word == "PRN" || word == "AUX" || word == "NUL") return true;
  if (word.size() == 4 && (word.substr(0, 3) == "COM" || word.substr(0, 3) == "LPT")) {
    const auto digit = static_cast<unsigned char>(word[3]);
    // "¹", "²" and "³" are 0xB9, 0xB2 and 0xB3 in the ANSI code page.
    return (digit >= '0' && digit <= '9') || digit == 0xB9 || digit == 0xB2 || digit == 0xB3;
  }
  return false;
}

std::string NameKey(std::string_view name) {
  std::string key(name.size(), '\0');
  for (std::size_t i = 0; i < name.size(); ++i) key[i] = static_cast<char>(Upper(name[i]));
  return key;
}

bool NamesEqual(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (Upper(a[i]) != Upper(b[i])) return false;
  }
  return true;
}

bool MatchesPattern(std::string_view pattern, std::string_view name) {
  if (pattern == "*.*") pattern = "*";
  // Iterative glob with one backtracking point per "*": linear in practice,
  // never exponential.
  std::size_t p = 0, n = 0, starP = std::string_view::npos, starN = 0;
  while (n < name.size()) {
    if (p < pattern.size() && pattern[p] == '*') {
      starP = p++;
      starN = n;
    } else if (p < pattern.size() &&
               (pattern[p] == '?' ||
                ansi::ToUpper(static_cast<unsigned char>(pattern[p])) ==
                    ansi::ToUpper(static_cast<unsigned char>(name[n])))) {
      ++p;
      ++n;
    } else if (starP != std::string_view::npos) {
      p = starP + 1;
      n = ++starN;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == '*') ++p;
  return p == pattern.size();
}

}  // namespace merkwandel::winpath
