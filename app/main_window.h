// Root on screen: the window drawn from its design, whose controls hold the
// path texts and the enabled states, and the handlers of its four events.
// The scan buffer and the two folder lists stay the in-memory objects of
// Root; they are never windows.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "app/root.h"
#include "platform/platform.h"

namespace merkwandel::app {

class MainWindow final : public Root, private platform::FormEvents {
 public:
  // Makes the window from the design, not yet shown.
  explicit MainWindow(platform::Platform& platform);

  // Loads and shows the window and handles its events until it is closed.
  // False when the window could not be made.
  bool Run();

  std::uintptr_t WindowHandle() const override;
  std::string Text(Field field) const override;
  void SetText(Field field, const std::string& text) override;
  bool Enabled(Control control) const override;
  void SetEnabled(Control control, bool enabled) override;

 private:
  void Load() override;
  void Click(std::size_t control) override;

  void bHypertextClick();
  void bFavoritenClick();
  void bStartenClick();

  platform::Forms& forms_;
  bool created_ = false;
};

}  // namespace merkwandel::app
