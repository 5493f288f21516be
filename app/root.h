// Root, the program's one window, as the state the program's logic works on:
// the caption, the two path fields, the enabled state of the five input
// controls, the scan buffer (tTemp) and the two hidden folder lists.
//
// This class keeps that state in memory. The Windows window derives from it
// and keeps the texts and enabled states in its real controls instead, so
// the conversion and the start-up run alike on both.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "app/folder_lists.h"
#include "app/scan_buffer.h"
#include "platform/platform.h"

namespace merkwandel::app {

// The two path fields.
enum class Field { tHypertext, tFavoriten };

// The five input controls, in the order a run disables and enables them.
enum class Control { bStarten, bHypertext, tHypertext, bFavoriten, tFavoriten };
inline constexpr std::array<Control, 5> kInputControls = {
    Control::bStarten, Control::bHypertext, Control::tHypertext, Control::bFavoriten,
    Control::tFavoriten};

inline constexpr char kCaption[] = "Merkwandel";
// The design texts of the two path fields.
inline constexpr char kDesignHypertext[] =
    "E:\\Eigene Dateien\\Vollständige Lesezeichen (Mozilla Firefox) 6.html";
inline constexpr char kDesignFavoriten[] = "D:\\Eigene Dateien\\Arbeitsoberfläche\\Favoriten";

class Root {
 public:
  explicit Root(platform::Platform& platform);
  virtual ~Root() = default;
  Root(const Root&) = delete;
  Root& operator=(const Root&) = delete;

  platform::Platform& Platform() { return platform_; }

  // The window's handle as the platform knows it, for dialogs it owns; 0
  // when the state has no window on screen.
  virtual std::uintptr_t WindowHandle() const { return 0; }

  virtual std::string Caption() const;
  virtual std::string Text(Field field) const;
  // Replaces the whole text; a later Text() gives back exactly this.
  virtual void SetText(Field field, const std::string& text);
  virtual bool Enabled(Control control) const;
  virtual void SetEnabled(Control control, bool enabled);

  // Waits `Sekunden` seconds while letting window events run. Returns false
  // when the window is closing; the wait then ends at once.
  bool Sleep(const double& Sekunden);

  ScanBuffer tTemp;
  DirectoryList DirLocal;
  FileList DirFiles;

 private:
  platform::Platform& platform_;
  std::array<std::string, 2> texts_;
  std::array<bool, kInputControls.size()> enabled_{};
};

}  // namespace merkwandel::app
