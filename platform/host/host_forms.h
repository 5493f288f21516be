// The main window on the host: a complete window in memory, made from the
// design with the rules of platform/common/form_geometry.h, that tests drive
// as a user would: type, press keys, click, close. Nothing is drawn.
//
// What the user does waits in a queue until the window handles its events:
// in Run, or at an event pump while a handler runs (so a user can close the
// window or press Enter again in the middle of a conversion). When the
// queue runs out while the window is idle, the user closes the window.
#pragma once

#include <cstddef>
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "platform/common/form_geometry.h"
#include "platform/platform.h"

namespace merkwandel::platform::host {

enum class Key { kTab, kShiftTab, kEnter, kEscape };

class HostForms final : public Forms {
 public:
  explicit HostForms(int dpi = 96) : dpi_(dpi) {}

  // ---- What the user does (queued) ----
  // Types `text` into the control with the focus: it replaces the text when
  // the whole text is selected (as after moving there with Tab or an access
  // key), else it goes at the end. Nothing happens unless an enabled text
  // box has the focus.
  void Type(std::string text);
  void Press(Key key);
  void PressAlt(char letter);
  // A mouse click on the control of that name: a text box takes the focus, a
  // command button takes it and is clicked. Nothing for a control that is
  // disabled, in a disabled container, or not there.
  void Click(std::string name);
  void Close();
  // The user looks at the window: `look` runs when the window handles this
  // action, so a test can read the window's state between actions.
  void Look(std::function<void()> look);
  // The user waits until no event handler runs any more (a conversion has
  // ended) before the actions queued after this.
  void WaitUntilIdle();

  // ---- What a test reads ----
  struct Shown {
    std::string name;
    ControlKind kind;
    forms::PixelRect rect;  // pixels, in its container's client area
    bool visible;
  };
  // The controls that exist as windows (every visible control of the design).
  std::vector<Shown> ShownControls() const;
  bool Exists() const { return created_ && !gone_; }
  bool WasShown() const { return shown_; }
  forms::PixelRect ClientRect() const { return client_; }
  std::optional<std::string> Focus() const;  // name of the control with the focus
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
  std::uintptr_t WindowHandle() override;

 private:
  struct TypeAction {
    std::string text;
  };
  struct KeyAction {
    Key key;
  };
  struct AltAction {
    char letter;
  };
  struct ClickAction {
    std::string name;
  };
  struct CloseAction {};
  struct LookAction {
    std::function<void()> look;
  };
  struct IdleAction {};
  using Action = std::variant<TypeAction, KeyAction, AltAction, ClickAction, CloseAction,
                              LookAction, IdleAction>;

  bool Made(std::size_t control) const;
  void Handle(const Action& action);
  void MoveFocus(std::optional<std::size_t> to, bool selectAll);
  void DeliverClick(std::size_t control);
  void EndHandler();

  int dpi_;
  const FormDesign* design_ = nullptr;
  FormEvents* events_ = nullptr;
  bool created_ = false;
  bool shown_ = false;
  bool closing_ = false;
  bool gone_ = false;
  int handlers_ = 0;  // event handlers running
  forms::PixelRect client_;
  std::vector<std::string> texts_;
  std::vector<bool> enabled_;
  std::optional<std::size_t> focus_;
  std::optional<std::size_t> lostFocus_;
  bool allSelected_ = false;
  std::deque<Action> queue_;
};

}  // namespace merkwandel::platform::host
