#include "conversion/conversion_run.h"

#include "conversion/bookmark_scanner.h"
#include "conversion/shortcut_writer.h"
#include "system/dateiexistenz.h"

namespace merkwandel::conversion {
namespace {

using app::Control;
using app::Field;
using platform::MessageIcon;
using platform::MousePointer;

void Lock(app::Root& root) {
  root.Platform().Ui().SetMousePointer(MousePointer::kHourglass);
  for (Control control : app::kInputControls) root.SetEnabled(control, false);
}

void Unlock(app::Root& root) {
  root.Platform().Ui().SetMousePointer(MousePointer::kDefault);
  for (Control control : app::kInputControls) root.SetEnabled(control, true);
}

}  // namespace

std::string ReportText(std::size_t count) {
  return "Es wurden " + std::to_string(count) +
         " Favoriten aus der Firefox Lesezeichendatei exportiert.    ";
}

std::string MessageTitle(const app::Root& root) { return " " + root.Caption(); }

void RunConversion(app::Root& root) {
  auto& files = root.Platform().Files();
  auto& ui = root.Platform().Ui();
  auto show = [&](const std::string& text, MessageIcon icon) {
    ui.ShowMessage(text, MessageTitle(root), icon);
  };

  const bool sourceMissing = !system_helpers::FileExists(files, root.Text(Field::tHypertext));
  if (!system_helpers::PathExists(files, root.Text(Field::tFavoriten))) {
    // The trailing "\" makes the last folder of the path one to create.
    if (!files.MakeSureDirectoryPathExists(root.Text(Field::tFavoriten) + "\\")) {
      show(kFolderNotCreated, MessageIcon::kWarning);
    }
  }
  // A target that names a file can't take shortcuts: it counts as missing.
  const auto target = files.Attributes(root.Text(Field::tFavoriten));
  const bool folderMissing =
      !system_helpers::PathExists(files, root.Text(Field::tFavoriten)) ||
      !target || (*target & platform::kAttributeDirectory) == 0;
  if (folderMissing || sourceMissing) {
    show(kNotFound, MessageIcon::kError);
    return;
  }

  Lock(root);
  if (!ui.PumpEvents()) return Unlock(root);

  {
    auto bookmarkFile = files.OpenForReading(root.Text(Field::tHypertext));
    if (!bookmarkFile) {
      // It exists but can't be read: a folder, locked by another program, no access.
      Unlock(root);
      show(kNotFound, MessageIcon::kError);
      return;
    }
    ShortcutWriter writer(root);
    BookmarkScanner scanner(root, writer);
    if (scanner.ReadAll(*bookmarkFile) == BookmarkScanner::Outcome::kWindowClosing) {
      return Unlock(root);
    }
  }  // the bookmark file is closed here

  if (!root.Sleep(1.0)) return Unlock(root);

  root.DirFiles.SetPath(root.Text(Field::tFavoriten));
  if (!ui.PumpEvents()) return Unlock(root);

  Unlock(root);
  if (!ui.PumpEvents()) return;

  const std::size_t count = root.DirFiles.ListCount();
  if (count == 0) return;
  show(ReportText(count), MessageIcon::kInformation);
  // By its full path: a program started by its name alone is looked for in
  // the current directory first.
  const std::string windows = ui.WindowsFolder();
  if (windows.empty()) return;
  ui.StartProcess(windows + "\\explorer.exe", "Explorer.exe " + root.Text(Field::tFavoriten));
  ui.PumpEvents();
}

}  // namespace merkwandel::conversion
