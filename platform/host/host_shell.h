// The shell's automation objects on the host: no dialog is shown; tests
// describe the folder objects the shell would hand out and which one the
// user picks. Every browse dialog is recorded, and the backend counts the
// objects that have not been released yet. Objects must not outlive the
// backend.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace merkwandel::platform::host {

// How a shell folder object answers. Strings are ANSI.
struct HostShellFolderState {
  std::optional<std::string> title;  // nothing: Title fails
  // Its ParentFolder; null: the call gives nothing (the top of the tree) or
  // fails.
  std::shared_ptr<HostShellFolderState> parent;
  // What ParseName finds, by name (letter case ignored): the item's Path, or
  // nothing when asking the item for its Path fails. A name not listed
  // finds nothing.
  std::map<std::string, std::optional<std::string>> items;
  // Its own item (Self); false: Self gives nothing or fails.
  bool hasSelf = false;
  // What Path of that item answers; nothing: the call fails.
  std::optional<std::string> selfPath;
};

class HostShellAutomation final : public ShellAutomation {
 public:
  HostShellAutomation() = default;
  HostShellAutomation(const HostShellAutomation&) = delete;
  HostShellAutomation& operator=(const HostShellAutomation&) = delete;

  // "Shell.Application" can't be created (not registered, COM refuses).
  bool creationFails = false;
  // The folder the user picks in the next browse dialog; null: the user
  // cancels. Used for every dialog until changed.
  std::shared_ptr<HostShellFolderState> choice;

  struct BrowseCall {
    std::uintptr_t hwnd;
    std::string title;
    std::int32_t options;
    ShellRootFolder rootFolder;
  };
  std::vector<BrowseCall> browseCalls;

  // Objects handed out and not yet released.
  int liveObjects = 0;

  std::unique_ptr<ShellApplication> CreateShellApplication() override;
};

}  // namespace merkwandel::platform::host
