#include "app/main_window.h"

#include "app/choose_paths.h"
#include "app/root_design.h"
#include "app/startup.h"
#include "conversion/conversion_run.h"

namespace merkwandel::app {

MainWindow::MainWindow(platform::Platform& platform)
    : Root(platform), forms_(platform.Window()) {
  created_ = forms_.Create(RootDesign(), *this);
}

bool MainWindow::Run() {
  if (!created_) return false;
  forms_.Run();
  return true;
}

// Without a window (it could not be made) the state stays in memory.
std::uintptr_t MainWindow::WindowHandle() const { return created_ ? forms_.WindowHandle() : 0; }

std::string MainWindow::Text(Field field) const {
  return created_ ? forms_.Text(IndexOf(ControlOf(field))) : Root::Text(field);
}

void MainWindow::SetText(Field field, const std::string& text) {
  if (created_) {
    forms_.SetText(IndexOf(ControlOf(field)), text);
  } else {
    Root::SetText(field, text);
  }
}

bool MainWindow::Enabled(Control control) const {
  return created_ ? forms_.Enabled(IndexOf(ControlOf(control))) : Root::Enabled(control);
}

void MainWindow::SetEnabled(Control control, bool enabled) {
  if (created_) {
    forms_.SetEnabled(IndexOf(ControlOf(control)), enabled);
  } else {
    Root::SetEnabled(control, enabled);
  }
}

void MainWindow::Load() { ProposeDefaultPaths(*this); }

void MainWindow::Click(std::size_t control) {
  switch (static_cast<RootControl>(control)) {
    case RootControl::bHypertext: return bHypertextClick();
    case RootControl::bFavoriten: return bFavoritenClick();
    case RootControl::bStarten: return bStartenClick();
    default: return;  // no other control has a click handler
  }
}

void MainWindow::bHypertextClick() { ChooseBookmarkFile(*this); }

void MainWindow::bFavoritenClick() { ChooseTargetFolder(*this); }

void MainWindow::bStartenClick() { conversion::RunConversion(*this); }

}  // namespace merkwandel::app
