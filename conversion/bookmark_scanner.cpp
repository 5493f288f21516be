#include "conversion/bookmark_scanner.h"

#include <cstring>
#include <new>
#include <string_view>
#include <vector>

namespace merkwandel::conversion {
namespace {

constexpr std::size_t kBlockSize = 64 * 1024;
// Real entries, favicon included, are tens of KB; one past this is a damaged
// file, and giving it up keeps the 32-bit program's memory for the rest.
constexpr std::size_t kLongestEntry = std::size_t{64} << 20;

char LowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool IsEndTag(std::string_view text, std::size_t at) {  // "</A>" at `at`, any case
  return at + 4 <= text.size() && text[at + 1] == '/' && LowerAscii(text[at + 2]) == 'a' &&
         text[at + 3] == '>';
}

bool IsStartTag(std::string_view text, std::size_t at) {  // "<A HREF" at `at`, any case
  static constexpr std::string_view kMarker = "a href";
  if (at + 1 + kMarker.size() > text.size()) return false;
  for (std::size_t k = 0; k < kMarker.size(); ++k) {
    if (LowerAscii(text[at + 1 + k]) != kMarker[k]) return false;
  }
  return true;
}

constexpr std::size_t kNotSearched = static_cast<std::size_t>(-1);

// Index of the first CR or LF in data[from, size), or size. `nextLf` holds
// the index of the first LF at or behind an earlier `from` (size when there
// is none), or kNotSearched, so that a file without LF is not searched to
// the end of the block at every line.
std::size_t FindLineEnd(const char* data, std::size_t from, std::size_t size, std::size_t& nextLf) {
  if (nextLf == kNotSearched || nextLf < from) {
    const void* lf = std::memchr(data + from, '\n', size - from);
    nextLf = lf == nullptr ? size : static_cast<std::size_t>(static_cast<const char*>(lf) - data);
  }
  const void* cr = std::memchr(data + from, '\r', nextLf - from);
  return cr == nullptr ? nextLf : static_cast<std::size_t>(static_cast<const char*>(cr) - data);
}

}  // namespace

BookmarkScanner::BookmarkScanner(app::Root& root, ShortcutWriter& writer)
    : root_(root), writer_(writer), buffer_(root.tTemp) {}

std::size_t BookmarkScanner::FindEndTag(std::string_view text) {
  // Every "<" from where the last search stopped: an end tag ends the
  // search, a start tag is remembered. A "<" too close to the end to tell
  // is looked at again once more text has come; an end tag behind it still
  // counts, as that "<" can then begin no start tag.
  std::size_t from = searchedUpTo_;
  std::size_t undecided = std::string_view::npos;
  while (from < text.size()) {
    const void* hit = std::memchr(text.data() + from, '<', text.size() - from);
    if (hit == nullptr) break;
    const auto at = static_cast<std::size_t>(static_cast<const char*>(hit) - text.data());
    if (IsEndTag(text, at)) return at;
    if (at + kStartTagLength > text.size()) {
      if (undecided == std::string_view::npos) undecided = at;
    } else if (IsStartTag(text, at)) {
      lastStartTag_ = at + 1;
    }
    from = at + 1;
  }
  searchedUpTo_ = undecided == std::string_view::npos ? text.size() : undecided;
  return std::string_view::npos;
}

std::string_view BookmarkScanner::EntryBefore(std::string_view text, std::size_t end) const {
  // The bookmark's own start tag is the last one in front of the end tag.
  return lastStartTag_ == std::string_view::npos ? std::string_view()
                                                 : text.substr(lastStartTag_, end - lastStartTag_);
}

void BookmarkScanner::CutAt(std::size_t end) {
  // The "<" of the end tag and everything before it go; the buffer now
  // begins with "/A>", so the same end tag is not found again.
  buffer_.DropFront(end + 1);
  searchedUpTo_ = 0;
  lastStartTag_ = std::string_view::npos;
}

void BookmarkScanner::Scan() {
  for (;;) {
    const std::string_view text = buffer_.Text();
    const std::size_t end = FindEndTag(text);
    if (end == std::string_view::npos) break;
    closed_.emplace_back(EntryBefore(text, end));
    CutAt(end);
  }
  // Only the last start tag, or a "<" still undecided, can begin what a
  // later bookmark uses.
  std::size_t keep = searchedUpTo_;
  if (lastStartTag_ != std::string_view::npos) {
    if (buffer_.Size() - (lastStartTag_ - 1) > kLongestEntry) {
      lastStartTag_ = std::string_view::npos;  // given up
    } else {
      keep = lastStartTag_ - 1;
    }
  }
  buffer_.DropFront(keep);
  searchedUpTo_ -= keep;
  if (lastStartTag_ == std::string_view::npos) return;
  lastStartTag_ -= keep;
  // An entry a quarter of the way to the limit gets room for all it may
  // still take at once, so that growing never doubles it past the limit.
  if (buffer_.Size() > kLongestEntry / 4) buffer_.Reserve(kLongestEntry + kBlockSize);
}

bool BookmarkScanner::HandOverFirstEndTag() {
  bool found = !closed_.empty();
  if (found) {
    if (writer_.HandleLineEnd(closed_.front())) ++shortcutsWritten_;
    closed_.pop_front();
  } else {
    // Handed over from the buffer itself, without a copy.
    const std::string_view text = buffer_.Text();
    const std::size_t end = FindEndTag(text);
    found = end != std::string_view::npos;
    if (writer_.HandleLineEnd(found ? EntryBefore(text, end) : std::string_view())) ++shortcutsWritten_;
    if (found) CutAt(end);
  }
  Scan();
  return found;
}

bool BookmarkScanner::LineEnd() {
  ++lineEnds_;
  lineHasCharacters_ = false;
  HandOverFirstEndTag();
  return root_.Platform().Ui().PumpEvents();
}

BookmarkScanner::Outcome BookmarkScanner::ReadAll(platform::InputFile& file) {
  searchedUpTo_ = 0;  // the buffer may hold what an earlier run left
  lastStartTag_ = std::string_view::npos;
  lineHasCharacters_ = false;
  afterCarriageReturn_ = false;
  closed_.clear();
  try {
    return Read(file);
  } catch (const std::bad_alloc&) {
    // As after a read error: what was written stays. The bookmarks not yet
    // handed over are lost, and their memory is given back.
    closed_.clear();
    buffer_.Clear();
    searchedUpTo_ = 0;
    lastStartTag_ = std::string_view::npos;
    return Outcome::kOutOfMemory;
  }
}

BookmarkScanner::Outcome BookmarkScanner::Read(platform::InputFile& file) {
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
    std::size_t nextLf = kNotSearched;
    while (i < size) {
      if (afterCarriageReturn_ && data[i] == '\n') {  // CR LF ends one line
        afterCarriageReturn_ = false;
        ++i;
        continue;
      }
      afterCarriageReturn_ = false;
      const std::size_t j = FindLineEnd(data, i, size, nextLf);
      if (j > i) {
        buffer_.Append(std::string_view(data + i, j - i));
        lineHasCharacters_ = true;
      }
      if (j == size) {
        Scan();  // the line goes on in the next block
        break;
      }
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
