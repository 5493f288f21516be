#include "platform/host/host_forms.h"

namespace merkwandel::platform::host {

bool HostForms::Create(const FormDesign& design, FormEvents& events) {
  if (created_) return false;
  design_ = &design;
  events_ = &events;
  created_ = true;
  for (const auto& control : design.controls) {
    texts_.push_back(control.visible ? control.text : std::string());
    enabled_.push_back(control.enabled);
  }
  return true;
}

bool HostForms::Made(std::size_t control) const {
  return Exists() && control < design_->controls.size() && design_->controls[control].visible;
}

void HostForms::Run() {
  if (!Exists() || !delivered.empty()) return;
  Deliver(std::nullopt);
  while (Exists() && !queue_.empty()) {
    const std::string action = std::move(queue_.front());
    queue_.pop_front();
    Handle(action);
  }
  gone_ = true;  // nothing more to do: the user closes the window
}

bool HostForms::ProcessPending() {
  while (Exists() && !closing_ && !queue_.empty()) {
    const std::string action = std::move(queue_.front());
    queue_.pop_front();
    Handle(action);
  }
  return Exists() && !closing_;
}

void HostForms::Handle(const std::string& action) {
  if (action.empty()) {
    if (handlers_ > 0) {
      closing_ = true;  // the window goes when the handler returns
    } else {
      gone_ = true;
    }
    return;
  }
  std::size_t control = 0;
  while (control < design_->controls.size() && design_->controls[control].name != action) ++control;
  if (!Enabled(control) || design_->controls[control].kind != ControlKind::kCommandButton) return;
  Deliver(control);
}

void HostForms::Deliver(std::optional<std::size_t> click) {
  ++handlers_;
  if (click) {
    delivered.push_back("click " + design_->controls[*click].name);
    events_->Click(*click);
  } else {
    delivered.push_back("load");
    events_->Load();
  }
  if (--handlers_ == 0 && closing_) gone_ = true;
}

std::string HostForms::Text(std::size_t control) { return Made(control) ? texts_[control] : std::string(); }

void HostForms::SetText(std::size_t control, const std::string& text) {
  if (Made(control)) texts_[control] = text;
}

bool HostForms::Enabled(std::size_t control) { return Made(control) && enabled_[control]; }

void HostForms::SetEnabled(std::size_t control, bool enabled) {
  if (Made(control)) enabled_[control] = enabled;
}

}  // namespace merkwandel::platform::host
