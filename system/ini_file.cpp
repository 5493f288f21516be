#include "system/ini_file.h"

#include "platform/common/unicode.h"

namespace merkwandel::system_helpers {
namespace {

std::string_view Trimmed(std::string_view text) {
  const auto first = text.find_first_not_of(" \t");
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

bool IsTextWithoutZero(std::string_view text) {
  for (std::size_t i = 0; i < text.size();) {
    const auto sequence = unicode::DecodeUtf8(text.substr(i));
    if (!sequence || sequence->codePoint == 0) return false;
    i += sequence->length;
  }
  return true;
}

}  // namespace

std::optional<std::string> IniSection::Value(std::string_view key) const {
  for (const auto& [entryKey, value] : entries) {
    if (entryKey == key) return value;
  }
  return std::nullopt;
}

std::optional<std::vector<IniSection>> ParseIni(std::string_view text) {
  if (text.starts_with("\xEF\xBB\xBF")) text.remove_prefix(3);
  if (!IsTextWithoutZero(text)) return std::nullopt;
  std::vector<IniSection> sections;
  while (!text.empty()) {
    const auto end = text.find('\n');
    std::string_view line = text.substr(0, end);
    if (line.ends_with('\r')) line.remove_suffix(1);
    line = Trimmed(line);
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    const auto equals = line.find('=');
    if (line.starts_with('[') && line.ends_with(']')) {
      sections.push_back({std::string(Trimmed(line.substr(1, line.size() - 2))), {}});
    } else if (!sections.empty() && equals != std::string_view::npos && !line.starts_with(';') &&
               !line.starts_with('#')) {
      sections.back().entries.emplace_back(Trimmed(line.substr(0, equals)), Trimmed(line.substr(equals + 1)));
    }
  }
  return sections;
}

}  // namespace merkwandel::system_helpers
