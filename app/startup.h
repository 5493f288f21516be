// The start-up: when the main window is loaded, before it is first shown, it
// proposes the two paths a conversion run needs, worked out from the current
// user's shell folders in the registry:
//   tHypertext  the last Firefox profile's "bookmarks.html", or its
//               "places.sqlite" when only that one is there; when neither
//               is there, the "Bookmarks" file written last of the last-used
//               profiles of Chrome, Edge, Brave, Vivaldi, Chromium (below
//               "Local AppData") and Opera (below "AppData"), if any
//   tFavoriten  the "Importierte Dateien" folder inside the Favorites folder
// A field that can't be worked out keeps its text. Nothing is created on
// disk, and no message is shown.
#pragma once

#include "app/root.h"

namespace merkwandel::app {

inline constexpr char kShellFoldersKey[] =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";

// Runs from the window's load event. Lets the window process its pending
// events once after each field it fills, and stops there when the window is
// closing.
void ProposeDefaultPaths(Root& root);

}  // namespace merkwandel::app
