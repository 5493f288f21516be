// The start-up: when the main window is loaded, before it is first shown, it
// proposes the two paths a conversion run needs, worked out from the current
// user's shell folders in the registry:
//   tHypertext  the bookmark store of the profile Firefox starts with: its
//               "bookmarks.html", or its "places.sqlite" when only that one
//               is there. That profile is the one Firefox's profiles.ini
//               (below "AppData") names for an installation, or marks
//               Default=1; without such a profile, the last profile folder
//               by name. When it holds neither file, or there is no Firefox
//               profile, the store written last of the profiles that
//               Firefox's forks start with (LibreWolf, Waterfox, Floorp,
//               Zen, Pale Moon, SeaMonkey, Mullvad Browser, below "AppData",
//               found as Firefox's) and of the last-used profiles' "Bookmarks"
//               of Chrome, Edge, Brave, Vivaldi, Chromium (below "Local
//               AppData") and Opera (below "AppData"); without one, the
//               Firefox profile's "bookmarks.html" all the same
//   tFavoriten  the "Importierte Dateien" folder inside the Favorites folder
// A field that can't be worked out keeps its text. A browser's own files
// (profiles.ini, installs.ini, "Local State") are only read, and names in
// them that lead out of the browser's folder count as missing. Nothing is
// created on disk, and no message is shown.
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
