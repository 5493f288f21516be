#include "app/scan_buffer.h"

#include <algorithm>

namespace merkwandel::app {

void ScanBuffer::DropFront(std::size_t count) {
  begin_ += std::min(count, Size());
  if (begin_ == text_.size()) {
    text_.clear();
    begin_ = 0;
  } else if (begin_ > text_.size() - begin_ && begin_ >= 4096) {
    text_.erase(0, begin_);
    begin_ = 0;
  }
}

}  // namespace merkwandel::app
