// The rules of a window design that hold on every platform: twips to
// pixels, the Tab order, which controls take the focus, and access keys.
#pragma once

#include <cstddef>
#include <optional>
#include <string_view>
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

// The control's rectangle in its container's client area.
PixelRect ControlRect(const platform::ControlDesign& control, int dpi);

// Every control index, those with a Tab index first in the order of it,
// then the others in the order of the design. Windows are made in this
// order, so that it is also the order in which the focus moves.
std::vector<std::size_t> TabOrder(const platform::FormDesign& design);

// The kinds that take the focus at all (when visible and enabled).
bool KindTakesFocus(platform::ControlKind kind);

// Whether control `index` can take the focus now: a kind that takes it,
// with a Tab index, visible, and it and every container enabled.
// `enabled[i]` is the current enabled state of control i.
bool CanTakeFocus(const platform::FormDesign& design, const std::vector<bool>& enabled,
                  std::size_t index);

// The control that Tab (forward) or Shift+Tab moves the focus to from
// `from` (nothing: from before the first), going round at the end. Nothing
// when no control can take the focus.
std::optional<std::size_t> NextTabStop(const platform::FormDesign& design,
                                       const std::vector<bool>& enabled,
                                       std::optional<std::size_t> from, bool forward = true);

// The access key of a text: the letter after a single "&" ("&&" stands for
// "&" itself), in upper case; 0 when there is none.
char AccessKey(std::string_view text);

// Where Alt + `key` puts the focus: the first control after the label that
// carries the key, in Tab order, that can take the focus. Nothing when no
// label has the key.
std::optional<std::size_t> AccessKeyTarget(const platform::FormDesign& design,
                                           const std::vector<bool>& enabled, char key);

}  // namespace merkwandel::forms
