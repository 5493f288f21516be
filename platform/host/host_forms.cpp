#include "platform/host/host_forms.h"

#include <utility>

namespace merkwandel::platform::host {

void HostForms::Type(std::string text) { queue_.push_back(TypeAction{std::move(text)}); }
void HostForms::Press(Key key) { queue_.push_back(KeyAction{key}); }
void HostForms::PressAlt(char letter) { queue_.push_back(AltAction{letter}); }
void HostForms::Click(std::string name) { queue_.push_back(ClickAction{std::move(name)}); }
void HostForms::Close() { queue_.push_back(CloseAction{}); }
void HostForms::WaitUntilIdle() { queue_.push_back(IdleAction{}); }
void HostForms::Look(std::function<void()> look) { queue_.push_back(LookAction{std::move(look)}); }

bool HostForms::Create(const FormDesign& design, FormEvents& events) {
  if (created_) return false;
  design_ = &design;
  events_ = &events;
  created_ = true;
  client_ = {0, 0, forms::TwipsToPixels(design.clientWidth, dpi_),
             forms::TwipsToPixels(design.clientHeight, dpi_)};
  for (const auto& control : design.controls) {
    texts_.push_back(control.visible ? control.text : std::string());
    enabled_.push_back(control.enabled);
  }
  return true;
}

bool HostForms::Made(std::size_t control) const {
  return Exists() && control < design_->controls.size() && design_->controls[control].visible;
}

std::vector<HostForms::Shown> HostForms::ShownControls() const {
  std::vector<Shown> shown;
  if (!Exists()) return shown;
  for (std::size_t i : forms::TabOrder(*design_)) {
    const auto& control = design_->controls[i];
    if (!control.visible) continue;
    shown.push_back({control.name, control.kind, forms::ControlRect(control, dpi_), shown_});
  }
  return shown;
}

std::optional<std::string> HostForms::Focus() const {
  if (!focus_ || !Exists()) return std::nullopt;
  return design_->controls[*focus_].name;
}

void HostForms::Run() {
  if (!Exists() || shown_) return;
  ++handlers_;
  delivered.push_back("load");
  events_->Load();
  EndHandler();
  if (gone_) return;
  shown_ = true;
  MoveFocus(forms::NextTabStop(*design_, enabled_, std::nullopt), false);
  while (!gone_ && !queue_.empty()) {
    Action action = std::move(queue_.front());
    queue_.pop_front();
    Handle(action);
  }
  // Nothing more to do: the user closes the window.
  if (!gone_) gone_ = true;
}

bool HostForms::ProcessPending() {
  while (Exists() && !closing_ && !queue_.empty() &&
         !std::holds_alternative<IdleAction>(queue_.front())) {
    Action action = std::move(queue_.front());
    queue_.pop_front();
    Handle(action);
  }
  return Exists() && !closing_;
}

void HostForms::MoveFocus(std::optional<std::size_t> to, bool selectAll) {
  if (!to) return;
  focus_ = to;
  lostFocus_.reset();
  allSelected_ = selectAll;
}

void HostForms::EndHandler() {
  if (--handlers_ == 0 && closing_) gone_ = true;
}

void HostForms::DeliverClick(std::size_t control) {
  ++handlers_;
  delivered.push_back("click " + design_->controls[control].name);
  events_->Click(control);
  EndHandler();
}

void HostForms::Handle(const Action& action) {
  const FormDesign& design = *design_;
  if (const auto* type = std::get_if<TypeAction>(&action)) {
    if (!focus_ || design.controls[*focus_].kind != ControlKind::kTextBox) return;
    if (allSelected_) texts_[*focus_].clear();
    texts_[*focus_] += type->text;
    allSelected_ = false;
  } else if (const auto* key = std::get_if<KeyAction>(&action)) {
    switch (key->key) {
      case Key::kTab:
      case Key::kShiftTab:
        MoveFocus(forms::NextTabStop(design, enabled_, focus_, key->key == Key::kTab), true);
        return;
      case Key::kEscape:
        return;  // the window has no cancel button
      case Key::kEnter: {
        if (focus_ && design.controls[*focus_].kind == ControlKind::kCommandButton) {
          return DeliverClick(*focus_);
        }
        for (std::size_t i = 0; i < design.controls.size(); ++i) {
          if (design.controls[i].defaultButton && forms::CanTakeFocus(design, enabled_, i)) {
            return DeliverClick(i);
          }
        }
        return;
      }
    }
  } else if (const auto* alt = std::get_if<AltAction>(&action)) {
    MoveFocus(forms::AccessKeyTarget(design, enabled_, alt->letter), true);
  } else if (const auto* click = std::get_if<ClickAction>(&action)) {
    for (std::size_t i = 0; i < design.controls.size(); ++i) {
      if (design.controls[i].name != click->name) continue;
      if (!forms::CanTakeFocus(design, enabled_, i)) return;
      MoveFocus(i, false);
      if (design.controls[i].kind == ControlKind::kCommandButton) DeliverClick(i);
      return;
    }
  } else if (const auto* look = std::get_if<LookAction>(&action)) {
    if (look->look) look->look();
  } else if (std::holds_alternative<CloseAction>(action)) {
    if (handlers_ > 0) {
      closing_ = true;  // the window goes when the handler returns
    } else {
      gone_ = true;
    }
  }
}

std::string HostForms::Text(std::size_t control) {
  return Made(control) ? texts_[control] : std::string();
}

void HostForms::SetText(std::size_t control, const std::string& text) {
  if (!Made(control)) return;
  texts_[control] = text;
  if (focus_ == control) allSelected_ = false;
}

bool HostForms::Enabled(std::size_t control) { return Made(control) && enabled_[control]; }

void HostForms::SetEnabled(std::size_t control, bool enabled) {
  if (!Made(control)) return;
  enabled_[control] = enabled;
  if (!enabled && focus_ == control) {
    // A disabled control loses the focus; it gets it back when it is
    // enabled again and nothing else took it meanwhile.
    focus_.reset();
    lostFocus_ = control;
  } else if (enabled && !focus_ && lostFocus_ == control) {
    focus_ = control;
    lostFocus_.reset();
  }
}

std::uintptr_t HostForms::WindowHandle() { return Exists() ? 1 : 0; }

}  // namespace merkwandel::platform::host
