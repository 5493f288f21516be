#include "app/scan_buffer.h"

#include <algorithm>

namespace merkwandel::app {

namespace {
// Up to this much stays allocated for the next lines however little is used.
constexpr std::size_t kKeptCapacity = 1 << 20;
}  // namespace

void ScanBuffer::DropFront(std::size_t count) {
  begin_ += std::min(count, Size());
  if (begin_ == text_.size() || (begin_ > text_.size() - begin_ && begin_ >= 4096)) {
    text_.erase(0, begin_);
    begin_ = 0;
    if (text_.capacity() > kKeptCapacity && text_.size() < text_.capacity() / 4) text_.shrink_to_fit();
  }
}

}  // namespace merkwandel::app
