#include "app/root.h"

namespace merkwandel::app {

Root::Root(platform::Platform& platform)
    : DirLocal(platform.Files()),
      DirFiles(platform.Files()),
      platform_(platform),
      texts_{kDesignHypertext, kDesignFavoriten} {
  enabled_.fill(true);
}

std::string Root::Caption() const { return kCaption; }

std::string Root::Text(Field field) const { return texts_[static_cast<std::size_t>(field)]; }

void Root::SetText(Field field, const std::string& text) {
  texts_[static_cast<std::size_t>(field)] = text;
}

bool Root::Enabled(Control control) const { return enabled_[static_cast<std::size_t>(control)]; }

void Root::SetEnabled(Control control, bool enabled) {
  enabled_[static_cast<std::size_t>(control)] = enabled;
}

bool Root::Sleep(const double& Sekunden) {
  auto& ui = platform_.Ui();
  double start = ui.SecondsSinceMidnight();
  for (;;) {
    const double elapsed = ui.SecondsSinceMidnight() - start;
    if (!(elapsed < Sekunden)) return true;
    if (!ui.PumpEvents()) return false;
    // The clock starts again at 0 at midnight.
    if (ui.SecondsSinceMidnight() < start) start -= 86400.0;
    // Instead of spinning, wait for the next event or the rest of the time.
    ui.WaitForEvent(Sekunden - (ui.SecondsSinceMidnight() - start));
  }
}

}  // namespace merkwandel::app
