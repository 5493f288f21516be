#include "conversion/bookmark_scanner.h"

#include <cstring>
#include <string_view>
#include <vector>

namespace merkwandel::conversion {
namespace {

constexpr std::size_t kBlockSize = 64 * 1024;

char LowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

// Position of the first "</A>" (any case) in `text` from `from` on.
std::size_t FindEndTag(std::string_view text, std::size_t from) {
  while (from + 4 <= text.size()) {
    const void* hit = std::memchr(text.data() + from, '<', text.size() - from - 3);
    if (hit == nullptr) return std::string_view::npos;
    const auto at = static_cast<std::size_t>(static_cast<const char*>(hit) - text.data());
    if (text[at + 1] == '/' && LowerAscii(text[at + 2]) == 'a' && text[at + 3] == '>') return at;
    from = at + 1;
  }
  return std::string_view::npos;
}

// Position of the "A HREF" of the last "<A HREF" (any case) that starts
// before `end`.
std::size_t FindLastStartTag(std::string_view text, std::size_t end) {
  static constexpr std::string_view kMarker = "a href";
  for (std::size_t at = end; at >= 1 + kMarker.size(); --at) {
    const std::size_t start = at - kMarker.size();
    if (text[start - 1] != '<') continue;
    bool same = true;
    for (std::size_t k = 0; k < kMarker.size() && same; ++k) {
      same = LowerAscii(text[start + k]) == kMarker[k];
    }
    if (same) return start;
  }
  return std::string_view::npos;
}

}  // namespace

BookmarkScanner::BookmarkScanner(app::Root& root, ShortcutWriter& writer)
    : root_(root), writer_(writer), buffer_(root.tTemp) {}

bool BookmarkScanner::HandOverFirstEndTag() {
  const std::string_view text = buffer_.Text();
  // An end tag may straddle the text searched before and the new line.
  const std::size_t from = searchedUpTo_ >= 3 ? searchedUpTo_ - 3 : 0;
  const std::size_t end = FindEndTag(text, from);
  if (end == std::string_view::npos) {
    searchedUpTo_ = text.size();
    writer_.HandleLineEnd(std::string_view());
    return false;
  }
  const std::size_t tag = FindLastStartTag(text, end);
  const std::string_view entry =
      tag == std::string_view::npos ? std::string_view() : text.substr(tag, end - tag);
  if (writer_.HandleLineEnd(entry)) ++shortcutsWritten_;
  // The "<" of the end tag and everything before it go; the buffer now
  // begins with "/A>", so the same end tag is not found again.
  buffer_.DropFront(end + 1);
  searchedUpTo_ = 0;
  return true;
}

bool BookmarkScanner::LineEnd() {
  ++lineEnds_;
  lineHasCharacters_ = false;
  HandOverFirstEndTag();
  return root_.Platform().Ui().PumpEvents();
}

BookmarkScanner::Outcome BookmarkScanner::ReadAll(platform::InputFile& file) {
  searchedUpTo_ = 0;  // the buffer may hold what an earlier run left
  lineHasCharacters_ = false;
  afterCarriageReturn_ = false;
  std::vector<char> block(kBlockSize);
  Outcome outcome = Outcome::kEndOfFile;

  for (;;) {
    const std::ptrdiff_t read = file.Read(block.data(), block.size());
    if (read <= 0) {
      if (read < 0) outcome = Outcome::kReadError;
      break;
    }
    const char* data = block.data();
    const auto size = static_cast<std::size_t>(read);
    std::size_t i = 0;
    while (i < size) {
      if (afterCarriageReturn_ && data[i] == '\n') {  // CR LF ends one line
        afterCarriageReturn_ = false;
        ++i;
        continue;
      }
      afterCarriageReturn_ = false;
      std::size_t j = i;
      while (j < size && data[j] != '\r' && data[j] != '\n') ++j;
      if (j > i) {
        buffer_.Append(std::string_view(data + i, j - i));
        lineHasCharacters_ = true;
      }
      if (j == size) break;
      afterCarriageReturn_ = data[j] == '\r';
      if (!LineEnd()) return Outcome::kWindowClosing;
      i = j + 1;
    }
  }

  if (lineHasCharacters_ && !LineEnd()) return Outcome::kWindowClosing;
  // Bookmarks that shared a line with another one wait in the buffer for a
  // further line end; at the end of the file none will come.
  while (HandOverFirstEndTag()) {
    if (!root_.Platform().Ui().PumpEvents()) return Outcome::kWindowClosing;
  }
  return outcome;
}

}  // namespace merkwandel::conversion
