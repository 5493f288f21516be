// How far a conversion run is, shown in the window's caption
// ("Merkwandel – 42 %") and on its taskbar button while the run reads and
// writes. The reader tells the whole of its work once it knows it (Start)
// and how much of it is done as it goes (Reached), in a unit of its own:
// bytes of an HTML file, bookmarks of a database or a JSON file.
//
// The caption shows the whole percentage done. It changes only when that
// rises, and then only a tenth of a second or more after it last changed
// (after Start for the first time, so a run of a few bookmarks shows
// nothing); 100 % is shown at once when anything was shown before. Restore
// gives the window its own caption back and clears the taskbar button; the
// run calls it before each message box and however it ends. Nothing here
// throws.
#pragma once

#include <cstdint>
#include <limits>

#include "app/root.h"

namespace merkwandel::conversion {

class RunProgress {
 public:
  explicit RunProgress(app::Root& root) : root_(root) {}
  RunProgress(const RunProgress&) = delete;
  RunProgress& operator=(const RunProgress&) = delete;

  // The whole of the work; none (0) shows nothing. Done starts at 0 again.
  void Start(std::uint64_t whole) noexcept;
  // `done` of the whole are done. Cheap while the percentage stays the same.
  void Reached(std::uint64_t done) noexcept {
    if (done >= next_) Update(done);
  }
  void Restore() noexcept;

 private:
  void Update(std::uint64_t done) noexcept;

  app::Root& root_;
  std::uint64_t whole_ = 0;
  std::uint64_t next_ = std::numeric_limits<std::uint64_t>::max();  // done at which the percentage rises
  int shownPercent_ = 0;  // on screen now; 0 for none
  double shownAt_ = 0;    // seconds since midnight of the last change, or of Start
};

}  // namespace merkwandel::conversion
