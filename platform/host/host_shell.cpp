#include "platform/host/host_shell.h"

#include "platform/common/windows_path.h"

namespace merkwandel::platform::host {
namespace {

// Counts itself among the backend's live objects while it exists.
class Counted {
 public:
  explicit Counted(HostShellAutomation& shell) : shell_(shell) { ++shell_.liveObjects; }
  ~Counted() { --shell_.liveObjects; }
  Counted(const Counted&) = delete;
  Counted& operator=(const Counted&) = delete;

 protected:
  HostShellAutomation& shell_;
};

class HostItem final : public ShellFolderItem, Counted {
 public:
  HostItem(HostShellAutomation& shell, std::optional<std::string> path)
      : Counted(shell), path_(std::move(path)) {}
  std::optional<std::string> Path() override { return path_; }

 private:
  std::optional<std::string> path_;
};

class HostFolder final : public ShellFolder, Counted {
 public:
  HostFolder(HostShellAutomation& shell, std::shared_ptr<HostShellFolderState> state)
      : Counted(shell), state_(std::move(state)) {}

  std::optional<std::string> Title() override { return state_->title; }

  std::unique_ptr<ShellFolder> ParentFolder() override {
    if (!state_->parent) return nullptr;
    return std::make_unique<HostFolder>(shell_, state_->parent);
  }

  std::unique_ptr<ShellFolderItem> ParseName(const std::string& name) override {
    for (const auto& [itemName, path] : state_->items) {
      if (winpath::NamesEqual(itemName, name)) return std::make_unique<HostItem>(shell_, path);
    }
    return nullptr;
  }

  std::unique_ptr<ShellFolderItem> Self() override {
    if (!state_->hasSelf) return nullptr;
    return std::make_unique<HostItem>(shell_, state_->selfPath);
  }

 private:
  std::shared_ptr<HostShellFolderState> state_;
};

class HostApplication final : public ShellApplication, Counted {
 public:
  explicit HostApplication(HostShellAutomation& shell) : Counted(shell) {}

  std::unique_ptr<ShellFolder> BrowseForFolder(std::uintptr_t hwnd, const std::string& title,
                                               std::int32_t options,
                                               const ShellRootFolder& rootFolder) override {
    shell_.browseCalls.push_back({hwnd, title, options, rootFolder});
    if (!shell_.choice) return nullptr;
    return std::make_unique<HostFolder>(shell_, shell_.choice);
  }
};

}  // namespace

std::unique_ptr<ShellApplication> HostShellAutomation::CreateShellApplication() {
  if (creationFails) return nullptr;
  return std::make_unique<HostApplication>(*this);
}

}  // namespace merkwandel::platform::host
