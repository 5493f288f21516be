// The scan buffer: the text of the hidden field tTemp, where the conversion
// collects the lines of the bookmark file until an end tag "</A>" closes a
// bookmark. It lives as long as the window, so what one run leaves in it is
// still at its start when the next run begins.
//
// Cutting the front off is cheap (an offset moves; the text is compacted
// only when the dead front outgrows the live part), so a conversion stays
// linear in the size of the file however many bookmarks share a line. When
// compacting leaves a large allocation mostly unused, such as after a long
// entry, the memory is given back.
#pragma once

#include <string>
#include <string_view>

namespace merkwandel::app {

class ScanBuffer {
 public:
  // The whole text.
  std::string_view Text() const { return std::string_view(text_).substr(begin_); }
  std::size_t Size() const { return text_.size() - begin_; }
  void Assign(std::string_view text) {
    text_.assign(text);
    begin_ = 0;
  }
  void Append(std::string_view piece) { text_.append(piece); }
  // Drops the first `count` characters.
  void DropFront(std::size_t count);
  // Makes room for `count` characters, so that text up to that length is
  // not copied again as it grows.
  void Reserve(std::size_t count) { text_.reserve(begin_ + count); }
  // Empties the buffer and gives its memory back.
  void Clear() noexcept {
    std::string().swap(text_);
    begin_ = 0;
  }

 private:
  std::string text_;
  std::size_t begin_ = 0;
};

}  // namespace merkwandel::app
