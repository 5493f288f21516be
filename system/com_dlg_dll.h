// Module ComDlgDll: the common open and save dialogs behind one call, giving
// back the chosen file split into its folder and its name. Shows nothing of
// its own and never fails towards the caller: cancel and every failure of
// the dialog look alike.
#pragma once

#include <cstdint>
#include <string>

#include "platform/platform.h"

namespace merkwandel::system_helpers {

// The file-name buffer, in UTF-16 code units, the terminating NUL included:
// the longest path a dialog can hand back has one unit less (MAX_PATH).
inline constexpr std::size_t kFileNameBufferSize = 260;

// The dialog's flags for `mode`: 0 opens an existing file, 1 saves with a
// prompt before overwriting, 2 saves without it; any other mode saves with
// no flags at all.
std::uint32_t FileDialogFlags(std::int16_t mode);

// The dialog's filter list from a filter text "label|patterns|label|...":
// every part ended by a NUL, the whole list ended by one more NUL.
std::string ConvertFilter(const std::string& filter);

// Shows the open dialog (mode 0) or a save dialog (any other mode), owned by
// the window `owner`, with the caption `title`, opening in `folder` with
// `fileName` in its name field, offering `filter`, and adding `defaultExt` (if
// not empty) to a typed name without extension.
//
// When the user chooses a file, gives its name and sets `folder` to its
// folder, ending in "\". After cancel or any failure (a chosen path too long
// for the buffer among them, or a `fileName` that doesn't fit into it) gives
// the empty string and leaves `folder` as it was.
std::string ShowFileDialog(platform::CommonDialogs& dialogs, std::uintptr_t owner,
                           const std::string& title, std::string& folder,
                           const std::string& fileName, const std::string& filter,
                           const std::string& defaultExt, std::int16_t mode);

// ShowFileDialog in mode 0.
std::string ShowOpenDialog(platform::CommonDialogs& dialogs, std::uintptr_t owner,
                           const std::string& title, std::string& folder,
                           const std::string& fileName, const std::string& filter,
                           const std::string& defaultExt);

}  // namespace merkwandel::system_helpers
