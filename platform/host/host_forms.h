// The main window on the host: the window's controls in memory, made from
// the design, that tests drive: click a button, close the window. Nothing is
// drawn, and there is no keyboard.
//
// What the user does waits in a queue until the window handles its events:
// in Run, or at an event pump while a handler runs (so a user can close the
// window or click again in the middle of a conversion). When the queue runs
// out while the window is idle, the user closes the window.
#pragma once

#include <cstddef>
#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace merkwandel::platform::host {

class HostForms final : public Forms {
 public:
  // ---- What the user does (queued) ----
  // A mouse click on the command button of that name; nothing when it is
  // disabled or not there.
  void Click(std::string name) { queue_.push_back(std::move(name)); }
  void Close() { queue_.push_back(std::string()); }

  // ---- What a test reads ----
  bool Exists() const { return created_ && !gone_; }
  std::size_t PendingActions() const { return queue_.size(); }
  // Events delivered, in order: "load", "click <name>".
  std::vector<std::string> delivered;

  // Handles every action that waits, as an event pump does. False when the
  // window is closing or gone.
  bool ProcessPending();

  bool Create(const FormDesign& design, FormEvents& events) override;
  void Run() override;
  std::string Text(std::size_t control) override;
  void SetText(std::size_t control, const std::string& text) override;
  bool Enabled(std::size_t control) override;
  void SetEnabled(std::size_t control, bool enabled) override;
  std::uintptr_t WindowHandle() override { return Exists() ? 1 : 0; }

 private:
  bool Made(std::size_t control) const;
  void Handle(const std::string& action);  // a button's name, or empty for closing
  void Deliver(std::optional<std::size_t> click);  // nothing: the load event

  const FormDesign* design_ = nullptr;
  FormEvents* events_ = nullptr;
  bool created_ = false;
  bool closing_ = false;
  bool gone_ = false;
  int handlers_ = 0;  // event handlers running
  std::vector<std::string> texts_;
  std::vector<bool> enabled_;
  std::deque<std::string> queue_;
};

}  // namespace merkwandel::platform::host
