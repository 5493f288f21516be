// The conversion run: what a click on "Starten" does, from the click to the
// end. It checks the two paths, creates a missing target folder, locks the
// input controls, reads the bookmark file (an HTML export, a Firefox
// bookmark database when the file begins as every SQLite database does, or
// a Chromium-family browser's JSON file when it begins with "{")
// and writes one shortcut per bookmark, showing how far it is in the
// window's caption and on its taskbar button (RunProgress), waits one
// second, counts the files in the target folder, unlocks (the caption is
// the window's own again), reports the count and opens Explorer on
// the folder: the explorer.exe of the Windows folder, never one found
// elsewhere (beside the bookmark file, which the open dialog makes the
// current directory).
#pragma once

#include <cstddef>
#include <string>

#include "app/root.h"

namespace merkwandel::conversion {

// The run's message texts, exactly as shown, trailing blanks included.
inline constexpr char kFolderNotCreated[] =
    "Der Zielordner für den Import der Favoriten konnte nicht erstellt werden.    ";
inline constexpr char kNotFound[] =
    "Entweder konnte der Zielordner oder die Datei mit Lesezeichen nicht gefunden werden.    ";
std::string ReportText(std::size_t count);

// The title of every message box: one blank, then the window's caption.
std::string MessageTitle(const app::Root& root);

// Runs the conversion on the window's state. Returns when the run is over:
// the window is idle again, or it is closing, in which case the run stopped
// at its next event pump without showing anything further. Nothing leaves
// it by an exception: a run that memory fails outside the readers ends
// quietly, with the window idle again.
void RunConversion(app::Root& root);

}  // namespace merkwandel::conversion
