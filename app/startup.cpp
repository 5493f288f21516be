#include "app/startup.h"

#include <nlohmann/json.hpp>

#include <optional>
#include <string>
#include <vector>

#include "conversion/places_snapshot.h"
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

// The browsers of the Chromium family and the folder of their profiles,
// below "Local AppData" or, for Opera, below "AppData". Opera's folder is a
// profile itself as well.
struct ChromiumBrowser {
  bool opera;
  const char* folder;
};
constexpr ChromiumBrowser kChromiumBrowsers[] = {
    {false, "\\Google\\Chrome\\User Data"},
    {false, "\\Microsoft\\Edge\\User Data"},
    {false, "\\BraveSoftware\\Brave-Browser\\User Data"},
    {false, "\\Vivaldi\\User Data"},
    {false, "\\Chromium\\User Data"},
    {true, "\\Opera Software\\Opera Stable"},
};

// The browser's last-used profile: "profile.last_used" in its "Local State",
// else "Default". "Local State" holds a few kilobytes; a file of more than a
// megabyte is no such file.
std::string LastUsedProfile(platform::FileSystem& files, const std::string& folder) {
  constexpr std::size_t kLimit = 1 << 20;
  std::string text;
  if (const auto file = files.OpenForReading(folder + "\\Local State")) text = conversion::ReadHead(*file, kLimit + 1);
  if (text.size() > kLimit) return "Default";
  const auto state = nlohmann::json::parse(text, nullptr, false);
  const nlohmann::json::json_pointer lastUsed("/profile/last_used");
  if (!state.contains(lastUsed) || !state.at(lastUsed).is_string()) return "Default";
  const auto& name = state.at(lastUsed).get_ref<const std::string&>();
  return name.empty() ? "Default" : name;
}

// Of the last-used profiles' "Bookmarks" files of every Chromium-family
// browser, the one written last; nothing when there is none.
std::optional<std::string> NewestChromiumBookmarks(platform::Registry& registry, platform::FileSystem& files,
                                                   const std::optional<std::string>& appData) try {
  const auto localAppData = ReadShellFolder(registry, "Local AppData");
  std::optional<std::string> newest;
  std::int64_t newestTime = 0;
  for (const auto& browser : kChromiumBrowsers) {
    const auto& shellFolder = browser.opera ? appData : localAppData;
    if (!shellFolder) continue;
    const std::string folder = *shellFolder + browser.folder;
    std::vector<std::string> candidates = {folder + "\\" + LastUsedProfile(files, folder) + "\\Bookmarks"};
    if (browser.opera) candidates.push_back(folder + "\\Bookmarks");
    for (auto& bookmarks : candidates) {
      const auto time = files.LastWriteTime(bookmarks);
      if (time && (!newest || *time > newestTime)) newest = std::move(bookmarks), newestTime = *time;
    }
  }
  return newest;
} catch (...) {
  // Out of memory: no proposal.
  return std::nullopt;
}

}  // namespace

void ProposeDefaultPaths(Root& root) {
  auto& registry = root.Platform().Reg();
  auto& ui = root.Platform().Ui();

  // The bookmark file of the last profile in DirLocal's order (sorted by
  // name); with no profile subfolder, the profiles folder itself. Firefox
  // keeps its bookmarks in places.sqlite and writes a bookmarks.html only
  // when asked to: the database is proposed when it is there and the export
  // is not. When the profile holds neither, or there is no Firefox profiles
  // folder, the Bookmarks file of the Chromium-family browser used last is
  // proposed; without one, the profile's bookmarks.html all the same.
  auto& files = root.Platform().Files();
  const auto appData = ReadShellFolder(registry, "AppData");
  std::optional<std::string> bookmarks;
  bool found = false;
  if (appData && root.DirLocal.SetPath(*appData + "\\Mozilla\\Firefox\\Profiles\\")) {
    const std::string profile = root.DirLocal.List(root.DirLocal.ListCount() - 1);
    const std::string exported = profile + "\\bookmarks.html";
    const std::string database = profile + "\\places.sqlite";
    found = system_helpers::FileExists(files, exported) || system_helpers::FileExists(files, database);
    bookmarks = found && !system_helpers::FileExists(files, exported) ? database : exported;
  }
  if (!found) {
    if (auto chromium = NewestChromiumBookmarks(registry, files, appData)) bookmarks = std::move(chromium);
  }
  if (bookmarks) {
    root.SetText(Field::tHypertext, *bookmarks);
    if (!ui.PumpEvents()) return;
  }

  // The target folder, whatever the first part gave.
  if (const auto favorites = ReadShellFolder(registry, "Favorites")) {
    root.SetText(Field::tFavoriten, *favorites + "\\Importierte Dateien");
    ui.PumpEvents();
  }
}

}  // namespace merkwandel::app
