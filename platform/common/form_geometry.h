// The rules of a window design that hold on every platform: twips to
// pixels, the Tab order and which controls take the focus.
#pragma once

#include <cstddef>
#include <vector>

#include "platform/platform.h"

namespace merkwandel::forms {

inline constexpr int kTwipsPerInch = 1440;

// Twips as pixels at `dpi` dots per inch, rounded to the nearest pixel
// (halves away from zero). At 96 dots per inch this is twips / 15.
int TwipsToPixels(int twips, int dpi);

struct PixelRect {
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
  bool operator==(const PixelRect&) const = default;
};

// Every control index, those with a Tab index first in the order of it,
// then the others in the order of the design. Windows are made in this
// order, so that it is also the order in which the focus moves.
std::vector<std::size_t> TabOrder(const platform::FormDesign& design);

// The kinds that take the focus at all (when visible and enabled).
bool KindTakesFocus(platform::ControlKind kind);

}  // namespace merkwandel::forms
