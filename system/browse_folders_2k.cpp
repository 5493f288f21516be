#include "system/browse_folders_2k.h"

#include <memory>
#include <optional>

namespace merkwandel::system_helpers {
namespace {

// The path of the chosen folder: the Path of the item that the folder's
// parent finds under the folder's displayed name. Empty when a link fails.
std::string LookUpPath(platform::ShellFolder& chosen, const std::optional<std::string>& title) {
  if (!title) return std::string();
  const std::unique_ptr<platform::ShellFolder> parent = chosen.ParentFolder();
  if (!parent) return std::string();
  const std::unique_ptr<platform::ShellFolderItem> item = parent->ParseName(*title);
  if (!item) return std::string();
  return item->Path().value_or(std::string());
}

// The path of the chosen folder as its own item gives it. Empty when that
// fails too.
std::string OwnPath(platform::ShellFolder& chosen) {
  const std::unique_ptr<platform::ShellFolderItem> self = chosen.Self();
  if (!self) return std::string();
  return self->Path().value_or(std::string());
}

}  // namespace

std::string BrowseFolder(platform::ShellAutomation& shell, const platform::ShellRootFolder& root) {
  // Every step runs even when the one before it failed; each failure just
  // leaves its result empty.
  std::unique_ptr<platform::ShellApplication> application;
  try {
    application = shell.CreateShellApplication();
  } catch (...) {
  }

  std::unique_ptr<platform::ShellFolder> chosen;
  try {
    if (application) {
      chosen = application->BrowseForFolder(0, kBrowseFolderTitle, kBrowseOnlyFileSystemFolders,
                                            root);
    }
  } catch (...) {
  }

  std::optional<std::string> title;
  std::string path;
  try {
    if (chosen) {
      title = chosen->Title();
      path = LookUpPath(*chosen, title);
    }
  } catch (...) {
    path.clear();
  }

  // The lookup by displayed name finds nothing for a folder that the shell
  // shows under another name than its file-system name (localised folders
  // such as "Dokumente" for Documents), nor where the shell gives no parent
  // folder. The user did choose a folder, so its own item answers instead of
  // the choice being dropped.
  try {
    if (chosen && path.empty()) path = OwnPath(*chosen);
  } catch (...) {
    path.clear();
  }

  // A drive's displayed name holds its letter before a colon, as in
  // "Lokaler Datenträger (C:)": the drive's root is the answer, whatever
  // the lookup gave. The letter is the whole character in front of the
  // colon, however many bytes it takes.
  try {
    if (title) {
      const auto colon = title->find(':');
      if (colon != std::string::npos && colon >= 1) {
        std::size_t letter = colon - 1;
        auto continues = [&](std::size_t at) {
          return (static_cast<unsigned char>((*title)[at]) & 0xC0) == 0x80;
        };
        while (letter > 0 && colon - letter < 4 && continues(letter)) --letter;
        path = title->substr(letter, colon - letter) + ":\\";
      }
    }
  } catch (...) {
  }
  return path;
}

}  // namespace merkwandel::system_helpers
