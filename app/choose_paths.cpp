#include "app/choose_paths.h"

#include "platform/common/unicode.h"

#include "system/browse_folders_2k.h"
#include "system/com_dlg_dll.h"
#include "system/dateiexistenz.h"
#include "system/file_dir_path.h"

namespace merkwandel::app {

void ChooseBookmarkFile(Root& root) try {
  auto& platform = root.Platform();
  const std::string current = root.Text(Field::tHypertext);
  std::string folder = system_helpers::GetDirPath(current);
  if (!system_helpers::FileExists(platform.Files(), current)) {
    folder = platform.Files().CurrentDirectory();
  }

  const std::string name = system_helpers::ShowOpenDialog(
      platform.Dialogs(), root.WindowHandle(), kOpenDialogTitle, folder, std::string(),
      kBookmarkFilter, kBookmarkDefaultExt);

  if (folder.empty() || folder.back() != '\\') folder += '\\';
  // A choice of fewer than five characters in all, such as "C:\a", is not
  // taken; characters as Windows counts them, in UTF-16 units.
  const std::string path = folder + name;
  if (unicode::Utf16Length(path) >= 5 && !name.empty()) root.SetText(Field::tHypertext, path);
} catch (...) {
  // Out of memory: the field keeps its text, and nothing leaves the click.
}

void ChooseTargetFolder(Root& root) try {
  const std::string path =
      system_helpers::BrowseFolder(root.Platform().Shell(), system_helpers::kDrivesFolder);
  if (!path.empty()) root.SetText(Field::tFavoriten, path);
} catch (...) {
  // Out of memory: the field keeps its text, and nothing leaves the click.
}

}  // namespace merkwandel::app
