#include "app/startup.h"

#include <optional>
#include <string>

#include "system/dateiexistenz.h"
#include "system/registry.h"

namespace merkwandel::app {
namespace {

// A shell-folder path from the registry: the text up to its first zero. The
// reader delivers a text value with its zero and blank filler behind it; a
// read that delivers no zero-terminated text (no data, a value stored without
// its zero, a number, a type the reader does not deliver) gives no path.
std::optional<std::string> ReadShellFolder(platform::Registry& registry, const char* name) {
  // A fresh holder for each read, so that a read that delivers nothing can't
  // hand on the text of an earlier one.
  system_helpers::RegistryValue value;
  if (!system_helpers::ReadRegistryValue(registry, platform::kHkeyCurrentUser, kShellFoldersKey,
                                         name, value)) {
    return std::nullopt;
  }
  const auto* text = std::get_if<std::string>(&value);
  if (text == nullptr) return std::nullopt;
  const auto zero = text->find('\0');
  if (zero == std::string::npos) return std::nullopt;
  return text->substr(0, zero);
}

}  // namespace

void ProposeDefaultPaths(Root& root) {
  auto& registry = root.Platform().Reg();
  auto& ui = root.Platform().Ui();

  // The bookmark file of the last profile in DirLocal's order (sorted by
  // name); with no profile subfolder, the profiles folder itself. A profiles
  // folder that can't be listed (no Firefox for this user) proposes nothing.
  // Firefox keeps its bookmarks in places.sqlite and writes a bookmarks.html
  // only when asked to: the database is proposed when it is there and the
  // export is not.
  if (const auto appData = ReadShellFolder(registry, "AppData")) {
    const std::string profiles = *appData + "\\Mozilla\\Firefox\\Profiles";
    if (root.DirLocal.SetPath(profiles + "\\")) {
      const std::string profile = root.DirLocal.List(root.DirLocal.ListCount() - 1);
      const std::string exported = profile + "\\bookmarks.html";
      const std::string database = profile + "\\places.sqlite";
      auto& files = root.Platform().Files();
      const bool useDatabase =
          !system_helpers::FileExists(files, exported) && system_helpers::FileExists(files, database);
      root.SetText(Field::tHypertext, useDatabase ? database : exported);
      if (!ui.PumpEvents()) return;
    }
  }

  // The target folder, whatever the first part gave.
  if (const auto favorites = ReadShellFolder(registry, "Favorites")) {
    root.SetText(Field::tFavoriten, *favorites + "\\Importierte Dateien");
    ui.PumpEvents();
  }
}

}  // namespace merkwandel::app
