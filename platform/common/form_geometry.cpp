#include "platform/common/form_geometry.h"

#include <algorithm>
#include <cstdint>

namespace merkwandel::forms {
int TwipsToPixels(int twips, int dpi) {
  const std::int64_t scaled = static_cast<std::int64_t>(twips) * dpi;
  const std::int64_t half = kTwipsPerInch / 2;
  const std::int64_t rounded =
      scaled >= 0 ? (scaled + half) / kTwipsPerInch : -((-scaled + half) / kTwipsPerInch);
  return static_cast<int>(rounded);
}

std::vector<std::size_t> TabOrder(const platform::FormDesign& design) {
  std::vector<std::size_t> order(design.controls.size());
  for (std::size_t i = 0; i < order.size(); ++i) order[i] = i;
  std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
    const int ta = design.controls[a].tabIndex;
    const int tb = design.controls[b].tabIndex;
    if ((ta < 0) != (tb < 0)) return tb < 0;  // controls with a Tab index first
    return ta >= 0 && ta < tb;
  });
  return order;
}

bool KindTakesFocus(platform::ControlKind kind) {
  using platform::ControlKind;
  switch (kind) {
    case ControlKind::kLabel:
    case ControlKind::kImage:
      return false;
    case ControlKind::kCommandButton:
    case ControlKind::kTextBox:
    case ControlKind::kMultiLineTextBox:
    case ControlKind::kPictureBox:
    case ControlKind::kDirectoryList:
    case ControlKind::kFileList:
      return true;
  }
  return false;
}

}  // namespace merkwandel::forms
