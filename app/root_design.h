// The design of the main window Root: every control with its kind, place
// and size in twips, Tab index, text at load, font, colours and settings.
// The backends draw the window from this data; nothing of it changes at run
// time but the texts of the fields and the enabled states of the five input
// controls.
#pragma once

#include <cstddef>

#include "app/root.h"
#include "platform/platform.h"

namespace merkwandel::app {

// The controls, by their index in the design: the Tab order, then Image1.
enum class RootControl : std::size_t {
  Label1,
  bHypertext,
  tHypertext,
  Label2,
  bFavoriten,
  tFavoriten,
  bStarten,
  Picture1,
  Label3,
  tTemp,
  DirLocal,
  DirFiles,
  Image1,
};
inline constexpr std::size_t kRootControlCount = 13;

constexpr std::size_t IndexOf(RootControl control) { return static_cast<std::size_t>(control); }

// The text of Label3, its last character a blank.
inline constexpr char kDescription[] =
    "Möglicherweise möchten Sie die Firefox Lesezeichen auch im Internet Explorer "
    "verwenden. Jedoch können Sie die Einträge in den Favoriten ausschließlich "
    "importieren. Mit diesem Tool können Sie die Lesezeichen von Mozilla Firefox exportieren "
    "und erstellen automatisch Url-Dateien in dem Favoritenordner vom Internet Explorer. ";

const platform::FormDesign& RootDesign();

// The design control behind a path field or an input control of the state.
RootControl ControlOf(Field field);
RootControl ControlOf(Control control);

}  // namespace merkwandel::app
