// The two "..." buttons of the main window: each lets the user pick a path
// in a dialog and writes the choice into its field. Cancelling leaves the
// field as it was; neither shows a message, checks the choice further or
// throws.
#pragma once

#include "app/root.h"

namespace merkwandel::app {

// The texts of the file choice.
inline constexpr char kOpenDialogTitle[] = "Datei öffnen";
inline constexpr char kBookmarkFilter[] =
    "Hypertextdokumente|*.htm; *.html|Firefox-Lesezeichendatenbank|places.sqlite|"
    "Chromium-Lesezeichen (Chrome, Edge, Brave, Vivaldi, Opera)|Bookmarks;AccountBookmarks|Alle Dateitypen|*.*";
// No default extension: a name chosen without one, such as a Chromium-family
// browser's "Bookmarks", is taken as it is, even with a "Bookmarks.htm"
// beside it (a default extension is tried first).
inline constexpr char kBookmarkDefaultExt[] = "";

// A click on bHypertext: the open dialog, owned by the window, starting in
// the folder of the file that tHypertext names (or in the current directory
// when it names nothing that exists); the chosen file's path goes into
// tHypertext.
void ChooseBookmarkFile(Root& root);

// A click on bFavoriten: the shell's folder browser over the computer's
// drives; the chosen folder's path replaces the text of tFavoriten.
void ChooseTargetFolder(Root& root);

}  // namespace merkwandel::app
