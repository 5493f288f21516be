// Module BrowseFolders2k: the shell's folder-browse dialog, reached through
// the automation object "Shell.Application" by member names. Catches every
// error of its own, shows nothing and never fails towards the caller.
#pragma once

#include <string>

#include "platform/platform.h"

namespace merkwandel::system_helpers {

// The text the dialog shows above its tree.
inline constexpr char kBrowseFolderTitle[] = "Bitte wählen Sie den gewünschten Zielordner ...";

// BIF_RETURNONLYFSDIRS: only folders of the file system can be confirmed.
inline constexpr std::int32_t kBrowseOnlyFileSystemFolders = 1;

// The shell's special-folder number of the computer with its drives.
inline constexpr std::int32_t kDrivesFolder = 17;

// Shows the dialog without owner window, its tree starting at `root`, and
// gives the path of the chosen folder: an ordinary folder without trailing
// "\", a drive as its root such as "C:\". The path is that of the item the
// folder's parent finds under the folder's displayed name or, when that
// lookup fails, that of the folder's own item. Gives the empty string when
// the user cancels, when the shell object can't be created, and when neither
// gives a path.
std::string BrowseFolder(platform::ShellAutomation& shell, const platform::ShellRootFolder& root);

}  // namespace merkwandel::system_helpers
