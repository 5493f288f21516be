#include "conversion/run_progress.h"

#include <string>

namespace merkwandel::conversion {
namespace {

constexpr double kShortestShown = 0.1;  // seconds

}  // namespace

void RunProgress::Start(std::uint64_t whole) noexcept {
  whole_ = whole;
  next_ = whole == 0 ? std::numeric_limits<std::uint64_t>::max() : (whole + 99) / 100;
  if (shownPercent_ == 0) shownAt_ = root_.Platform().Ui().SecondsSinceMidnight();
}

void RunProgress::Update(std::uint64_t done) noexcept {
  // A file that grew while it was read: never past the whole.
  const int percent = done >= whole_ ? 100 : static_cast<int>(done * 100 / whole_);
  // The least done at which the next percentage is reached.
  next_ = percent == 100 ? std::numeric_limits<std::uint64_t>::max()
                         : ((static_cast<std::uint64_t>(percent) + 1) * whole_ + 99) / 100;
  if (percent <= shownPercent_) return;
  auto& ui = root_.Platform().Ui();
  const double now = ui.SecondsSinceMidnight();
  double passed = now - shownAt_;
  if (passed < 0) passed += 86400.0;  // past midnight
  if (passed < kShortestShown && !(percent == 100 && shownPercent_ > 0)) return;
  try {
    ui.ShowProgress(root_.Caption() + " – " + std::to_string(percent) + " %", percent);
  } catch (...) {
    return;  // memory ran out: the caption stays as it was
  }
  shownPercent_ = percent;
  shownAt_ = now;
}

void RunProgress::Restore() noexcept {
  if (shownPercent_ == 0) return;
  shownPercent_ = 0;
  try {
    root_.Platform().Ui().ShowProgress(root_.Caption(), std::nullopt);
  } catch (...) {
  }
}

}  // namespace merkwandel::conversion
