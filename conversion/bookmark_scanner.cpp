#include "conversion/bookmark_scanner.h"

#include <cstring>
#include <new>
#include <string_view>
#include <vector>

#include "platform/common/unicode.h"

namespace merkwandel::conversion {
namespace {

constexpr std::size_t kBlockSize = 64 * 1024;
// Real entries, favicon included, are tens of KB; one past this is a damaged
// file, and giving it up keeps the 32-bit program's memory for the rest.
constexpr std::size_t kLongestEntry = std::size_t{64} << 20;

// Where a line of the file ended inside a bookmark.
constexpr char kLineEnd = '\n';

using unicode::LowerAscii;

// Up to six characters behind the "<" at `at`, in lower case, without the
// line ends between them: enough to tell "</a>" and "<a href".
std::string_view TagBehind(std::string_view text, std::size_t at, char (&tag)[6]) {
  std::size_t count = 0;
  for (std::size_t i = at + 1; i < text.size() && count < sizeof tag; ++i) {
    if (text[i] != kLineEnd) tag[count++] = LowerAscii(text[i]);
  }
  return {tag, count};
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

BookmarkScanner::BookmarkScanner(app::Root& root, ShortcutWriter& writer, RunProgress& progress)
    : root_(root), writer_(writer), progress_(progress), buffer_(root.tTemp) {}

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
    char buffer[6];
    const std::string_view tag = TagBehind(text, at, buffer);
    if (tag.starts_with("/a>")) return at;
    if (tag.size() < sizeof buffer) {
      if (undecided == std::string_view::npos) undecided = at;
    } else if (tag == "a href") {
      lastStartTag_ = at;
    }
    from = at + 1;
  }
  searchedUpTo_ = undecided == std::string_view::npos ? text.size() : undecided;
  return std::string_view::npos;
}

std::string_view BookmarkScanner::EntryBefore(std::string_view text, std::size_t end) const {
  // The bookmark's own start tag is the last one in front of the end tag;
  // the entry begins at its "A".
  if (lastStartTag_ == std::string_view::npos) return {};
  const std::size_t start = lastStartTag_ + (text[lastStartTag_ + 1] == kLineEnd ? 2 : 1);
  return text.substr(start, end - start);
}

void BookmarkScanner::CutAt(std::size_t end) {
  // The "<" of the end tag and everything before it go; the buffer now
  // begins with "/A>", so the same end tag is not found again.
  buffer_.DropFront(end + 1);
  searchedUpTo_ = 0;
  lastStartTag_ = std::string_view::npos;
}

bool BookmarkScanner::Scan(bool atLineEnd) {
  for (;;) {
    const std::string_view text = buffer_.Text();
    const std::size_t end = FindEndTag(text);
    if (end == std::string_view::npos) break;
    const std::string_view entry = EntryBefore(text, end);
    if (!entry.empty() && writer_.WriteEntry(entry)) ++shortcutsWritten_;
    CutAt(end);
    // A line may hold any number of bookmarks: the window keeps painting.
    if (!atLineEnd && !root_.Platform().Ui().PumpEvents()) return false;
  }
  // Only the last start tag, or a "<" still undecided, can begin what a
  // later bookmark uses.
  std::size_t keep = searchedUpTo_;
  if (lastStartTag_ != std::string_view::npos) {
    if (buffer_.Size() - lastStartTag_ > kLongestEntry) {
      lastStartTag_ = std::string_view::npos;  // given up
    } else {
      keep = lastStartTag_;
    }
  }
  buffer_.DropFront(keep);
  searchedUpTo_ -= keep;
  if (lastStartTag_ == std::string_view::npos) return true;
  lastStartTag_ -= keep;
  // An entry a quarter of the way to the limit gets room for all it may
  // still take at once, so that growing never doubles it past the limit.
  if (buffer_.Size() > kLongestEntry / 4) buffer_.Reserve(kLongestEntry + kBlockSize);
  return true;
}

bool BookmarkScanner::LineEnd() {
  ++lineEnds_;
  lineHasCharacters_ = false;
  writer_.LineEnd();
  Scan(true);
  // A line end inside a bookmark, one for a run of them.
  if (lastStartTag_ != std::string_view::npos && buffer_.Text().back() != kLineEnd) {
    buffer_.Append(std::string_view(&kLineEnd, 1));
  }
  return root_.Platform().Ui().PumpEvents();
}

BookmarkScanner::Outcome BookmarkScanner::ReadAll(platform::InputFile& file) {
  searchedUpTo_ = 0;  // the buffer may hold what an earlier run left
  lastStartTag_ = std::string_view::npos;
  lineHasCharacters_ = false;
  afterCarriageReturn_ = false;
  progress_.Start(file.Size().value_or(0));
  try {
    return Read(file);
  } catch (const std::bad_alloc&) {
    // As after a read error: what was written stays, and the buffer's
    // memory is given back.
    buffer_.Clear();
    searchedUpTo_ = 0;
    lastStartTag_ = std::string_view::npos;
    return Outcome::kOutOfMemory;
  }
}

BookmarkScanner::Outcome BookmarkScanner::Read(platform::InputFile& file) {
  std::vector<char> block(kBlockSize);
  Outcome outcome = Outcome::kEndOfFile;
  std::uint64_t offset = 0;  // of the block in the file

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
      if (j == size) {  // the line goes on in the next block
        if (!Scan(false)) return Outcome::kWindowClosing;
        progress_.Reached(offset + size);
        break;
      }
      afterCarriageReturn_ = data[j] == '\r';
      if (!LineEnd()) return Outcome::kWindowClosing;
      progress_.Reached(offset + j + 1);
      i = j + 1;
    }
    offset += size;
  }

  if (lineHasCharacters_ && !LineEnd()) return Outcome::kWindowClosing;
  return outcome;
}

}  // namespace merkwandel::conversion
