#include "conversion/shortcut_writer.h"

#include <algorithm>

#include "conversion/bookmark_entry.h"
#include "platform/common/unicode.h"
#include "platform/common/windows_path.h"

namespace merkwandel::conversion {
namespace {

using unicode::LowerAscii;

// Firefox's saved queries ("Meistbesucht" and the like), which only Firefox opens.
bool IsSavedQuery(std::string_view url) {
  constexpr std::string_view kScheme = "place:";
  return url.size() >= kScheme.size() &&
         std::equal(kScheme.begin(), kScheme.end(), url.begin(), [](char a, char b) { return a == LowerAscii(b); });
}

// The URL without its "scheme://", as a title for a bookmark without one.
std::string_view WithoutScheme(std::string_view url) {
  const std::size_t end = url.find("://");
  const bool scheme = end != std::string_view::npos && end > 0 &&
                      std::all_of(url.begin(), url.begin() + static_cast<std::ptrdiff_t>(end), [](char c) {
                        const char lower = LowerAscii(c);
                        return (lower >= 'a' && lower <= 'z') || (c >= '0' && c <= '9') || c == '+' || c == '-' ||
                               c == '.';
                      });
  return scheme ? url.substr(end + 3) : url;
}

}  // namespace

const std::string& ShortcutWriter::TargetFolder() {
  // The field keeps the "\" after the run; it does not change during one.
  if (folder_.empty()) {
    folder_ = root_.Text(app::Field::tFavoriten);
    if (folder_.empty() || folder_.back() != '\\') {
      folder_.push_back('\\');
      root_.SetText(app::Field::tFavoriten, folder_);
    }
    std::size_t length = winpath::PathLength(folder_);
    if (const auto parsed = winpath::Parse(folder_)) {
      const std::size_t separator = parsed->components.empty() ? 0 : 1;
      length = std::max(length, winpath::PathLength(winpath::Format(*parsed)) + separator);
    }
    room_ = length < winpath::kMaxPath ? winpath::kMaxPath - length : 0;
  }
  return folder_;
}

bool ShortcutWriter::WriteEntry(std::string_view entry) {
  const EntryParts parts = ReadEntry(entry);
  return WriteBookmark(parts.url, DecodeTitle(parts.title));
}

std::string ShortcutWriter::Numbered(const std::string& name, std::uint64_t number) const {
  const std::string suffix = " (" + std::to_string(number) + ")";
  const std::size_t fixed = suffix.size() + 4;  // and ".url"
  if (winpath::PathLength(name) + fixed <= room_ || fixed >= room_) return name + suffix;
  std::string cut = name.substr(0, unicode::Utf16Prefix(name, room_ - fixed));
  cut.erase(cut.find_last_not_of(' ') + 1);
  return (cut.empty() ? name : cut) + suffix;
}

std::string ShortcutWriter::FreeName(const std::string& name, const std::string& url) {
  const std::uint64_t key = digest_(unicode::UpperCaseKey(name));
  const std::uint64_t link = digest_(url);
  const auto taken = urlOfName_.find(key);
  if (taken == urlOfName_.end() || taken->second == link) return name;
  if (const auto found = numberedName_.find({key, link}); found != numberedName_.end()) return found->second;
  // Every number below `number` names a file of another URL, each noted
  // for that URL, so that the search does not begin at 2 again.
  std::uint64_t& number = nextNumber_.try_emplace(key, 2).first->second;
  for (;; ++number) {
    std::string numbered = Numbered(name, number);
    const auto other = urlOfName_.find(digest_(unicode::UpperCaseKey(numbered)));
    if (other == urlOfName_.end()) return numbered;  // taken once written
    const std::string& found = numberedName_.try_emplace({key, other->second}, std::move(numbered)).first->second;
    if (other->second == link) {
      ++number;
      return found;
    }
  }
}

bool ShortcutWriter::WriteBookmark(std::string_view url, std::string_view title) {
  const std::string& folder = TargetFolder();
  std::string link(url);
  std::erase_if(link, [](char c) { return static_cast<unsigned char>(c) < 0x20 || c == 0x7F; });
  // Never fewer bytes than UTF-16 units.
  if (link.empty() || (link.size() > kMaxUrlLength && unicode::Utf16Length(link) > kMaxUrlLength) ||
      IsSavedQuery(link)) {
    return false;
  }
  std::string name = ShortcutName(title);
  if (name.empty()) name = ShortcutName(WithoutScheme(link));
  if (name.empty()) return false;
  name = FreeName(name, link);
  if (!root_.Platform().Files().WriteWholeFile(folder + name + ".url", ShortcutContent(link))) return false;
  urlOfName_.insert_or_assign(digest_(unicode::UpperCaseKey(name)), digest_(link));
  return true;
}

}  // namespace merkwandel::conversion
