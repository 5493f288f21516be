#include "platform/common/form_geometry.h"

#include <algorithm>
#include <cstdint>

namespace merkwandel::forms {
namespace {

char UpperAscii(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

}  // namespace

int TwipsToPixels(int twips, int dpi) {
  const std::int64_t scaled = static_cast<std::int64_t>(twips) * dpi;
  const std::int64_t half = kTwipsPerInch / 2;
  const std::int64_t rounded =
      scaled >= 0 ? (scaled + half) / kTwipsPerInch : -((-scaled + half) / kTwipsPerInch);
  return static_cast<int>(rounded);
}

PixelRect ControlRect(const platform::ControlDesign& control, int dpi) {
  return {TwipsToPixels(control.left, dpi), TwipsToPixels(control.top, dpi),
          TwipsToPixels(control.width, dpi), TwipsToPixels(control.height, dpi)};
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

bool CanTakeFocus(const platform::FormDesign& design, const std::vector<bool>& enabled,
                  std::size_t index) {
  if (index >= design.controls.size()) return false;
  const auto& control = design.controls[index];
  if (!KindTakesFocus(control.kind) || control.tabIndex < 0) return false;
  // The control and each of its containers must be visible and enabled.
  std::size_t guard = 0;
  for (int at = static_cast<int>(index); at >= 0 && guard <= design.controls.size(); ++guard) {
    const auto i = static_cast<std::size_t>(at);
    if (i >= design.controls.size()) return false;
    if (!design.controls[i].visible || !(i < enabled.size() && enabled[i])) return false;
    at = design.controls[i].container;
  }
  return guard <= design.controls.size();
}

std::optional<std::size_t> NextTabStop(const platform::FormDesign& design,
                                       const std::vector<bool>& enabled,
                                       std::optional<std::size_t> from, bool forward) {
  const auto order = TabOrder(design);
  if (order.empty()) return std::nullopt;
  const std::size_t n = order.size();
  // Position in `order` to start after; n stands for "before the first".
  std::size_t start = n;
  if (from) {
    const auto it = std::find(order.begin(), order.end(), *from);
    if (it != order.end()) start = static_cast<std::size_t>(it - order.begin());
  }
  for (std::size_t step = 1; step <= n; ++step) {
    std::size_t pos;
    if (forward) {
      pos = start == n ? step - 1 : (start + step) % n;
    } else {
      pos = start == n ? n - step : (start + n - step % n) % n;
    }
    if (CanTakeFocus(design, enabled, order[pos])) return order[pos];
  }
  return std::nullopt;
}

char AccessKey(std::string_view text) {
  for (std::size_t i = 0; i + 1 < text.size(); ++i) {
    if (text[i] != '&') continue;
    if (text[i + 1] == '&') {
      ++i;  // "&&" is a plain "&"
      continue;
    }
    return UpperAscii(text[i + 1]);
  }
  return 0;
}

std::optional<std::size_t> AccessKeyTarget(const platform::FormDesign& design,
                                           const std::vector<bool>& enabled, char key) {
  key = UpperAscii(key);
  if (key == 0) return std::nullopt;
  const auto order = TabOrder(design);
  for (std::size_t pos = 0; pos < order.size(); ++pos) {
    const auto& control = design.controls[order[pos]];
    if (control.kind != platform::ControlKind::kLabel || !control.visible) continue;
    if (AccessKey(control.text) != key) continue;
    for (std::size_t next = pos + 1; next < order.size(); ++next) {
      if (CanTakeFocus(design, enabled, order[next])) return order[next];
    }
    return std::nullopt;
  }
  return std::nullopt;
}

}  // namespace merkwandel::forms
