#include "app/startup.h"

#include <nlohmann/json.hpp>

#include <cctype>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "app/folder_lists.h"
#include "conversion/places_snapshot.h"
#include "platform/common/windows_path.h"
#include "system/dateiexistenz.h"
#include "system/ini_file.h"
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

// A file of at most a megabyte, read whole, for reading only, and closed
// again at once; nothing when it can't be opened or is larger.
// profiles.ini, installs.ini and "Local State" hold a few kilobytes.
std::optional<std::string> ReadSmallFile(platform::FileSystem& files, const std::string& path) {
  constexpr std::size_t kLimit = 1 << 20;
  const auto file = files.OpenForReading(path);
  if (!file) return std::nullopt;
  std::string text = conversion::ReadHead(*file, kLimit + 1);
  if (text.size() > kLimit) return std::nullopt;
  return text;
}

std::optional<std::vector<system_helpers::IniSection>> ReadIni(platform::FileSystem& files, const std::string& path) {
  const auto text = ReadSmallFile(files, path);
  return text ? system_helpers::ParseIni(*text) : std::nullopt;
}

// True when `name` names one folder inside the folder it is joined to: not
// empty, without a character a name can't hold (so without "\", "/" and
// ":"), and not made of dots and blanks alone ("." and "..", and what
// Windows makes of "... ").
bool IsPlainName(std::string_view name) {
  return winpath::IsValidName(name) && name.find_first_not_of(". ") != std::string_view::npos;
}

bool IsFolder(platform::FileSystem& files, const std::string& path) {
  const auto attributes = files.Attributes(path);
  return attributes && (*attributes & platform::kAttributeDirectory);
}

// Of the candidates offered, the one whose time is the latest (the first of
// equals); one without a time does not count.
struct Latest {
  std::optional<std::string> candidate;
  std::int64_t time = 0;
  void Offer(std::string offered, std::optional<std::int64_t> written) {
    if (written && (!candidate || *written > time)) candidate = std::move(offered), time = *written;
  }
};

// A profile's bookmark store: its bookmarks.html when there, else its
// places.sqlite; nothing when it holds neither.
std::optional<std::string> BookmarkStore(platform::FileSystem& files, const std::string& profile) {
  for (const char* name : {"\\bookmarks.html", "\\places.sqlite"}) {
    if (system_helpers::FileExists(files, profile + name)) return profile + name;
  }
  return std::nullopt;
}

// The folder of a [Profile…] of the profiles.ini in `browser`: with
// IsRelative=1 its Path= below `browser`, each "/" (or "\") a "\"; else its
// Path= as it stands, a full Windows path (drive and root, or a network
// path). Nothing without Path=, for a relative path that does not stay
// inside `browser` (an empty name, "..", a drive, a root), and for a path
// that is neither.
std::optional<std::string> ProfileFolder(const std::string& browser, const system_helpers::IniSection& profile) {
  auto path = profile.Value("Path");
  if (!path) return std::nullopt;
  if (profile.Value("IsRelative") != "1") {
    const std::string_view p = *path;
    const bool drive = p.size() >= 3 && std::isalpha(static_cast<unsigned char>(p[0])) && p[1] == ':' &&
                       winpath::IsSeparator(p[2]);
    const bool network = p.size() >= 2 && winpath::IsSeparator(p[0]) && winpath::IsSeparator(p[1]);
    return drive || network ? path : std::nullopt;
  }
  std::string folder = browser;
  for (std::size_t start = 0;;) {
    const auto end = path->find_first_of("/\\", start);
    const auto name = std::string_view(*path).substr(start, end - start);
    if (!IsPlainName(name)) return std::nullopt;
    folder.append("\\").append(name);
    if (end == std::string::npos) return folder;
    start = end + 1;
  }
}

// The profile that the Mozilla-family browser in `browser` starts with, as
// its profiles.ini says. Of the existing profiles that its [Install…]
// sections name by their Path= (every section of installs.ini beside it,
// when profiles.ini has none), the one whose bookmark store was written
// last (one without a store only when none has one: the first in the
// file); else the first existing profile marked Default=1. Nothing when
// profiles.ini can't be read or names no existing profile.
std::optional<std::string> ChosenProfile(platform::FileSystem& files, const std::string& browser) {
  const auto ini = ReadIni(files, browser + "\\profiles.ini");
  if (!ini) return std::nullopt;
  std::set<std::string> installed;  // the Path= of each installation's profile
  const auto collect = [&](const std::vector<system_helpers::IniSection>& sections, std::string_view prefix) {
    for (const auto& section : sections) {
      const auto path = section.name.starts_with(prefix) ? section.Value("Default") : std::nullopt;
      if (path) installed.insert(*path);
    }
  };
  collect(*ini, "Install");
  if (const auto installs = installed.empty() ? ReadIni(files, browser + "\\installs.ini") : std::nullopt) {
    collect(*installs, "");
  }
  const auto existing = [&](const system_helpers::IniSection& section) -> std::optional<std::string> {
    if (!section.name.starts_with("Profile")) return std::nullopt;
    auto folder = ProfileFolder(browser, section);
    return folder && IsFolder(files, *folder) ? folder : std::nullopt;
  };
  Latest latest;
  std::optional<std::string> first;
  for (const auto& section : *ini) {
    const auto path = section.Value("Path");
    const auto folder = path && installed.contains(*path) ? existing(section) : std::nullopt;
    if (!folder) continue;
    if (!first) first = folder;
    if (const auto store = BookmarkStore(files, *folder)) latest.Offer(*folder, files.LastWriteTime(*store));
  }
  if (auto chosen = latest.candidate ? latest.candidate : first) return chosen;
  for (const auto& section : *ini) {
    const auto folder = section.Value("Default") == "1" ? existing(section) : std::nullopt;
    if (folder) return folder;
  }
  return std::nullopt;
}

// The profile a Mozilla-family browser in `browser` starts with
// (ChosenProfile); else the last of its profile folders ("Profiles") that
// `profiles` lists, or that folder itself when it holds none. `profiles`
// shows that folder afterwards.
std::optional<std::string> StartProfile(platform::FileSystem& files, const std::string& browser,
                                        DirectoryList& profiles) {
  const bool listed = profiles.SetPath(browser + "\\Profiles\\");
  if (auto chosen = ChosenProfile(files, browser)) return chosen;
  if (!listed) return std::nullopt;
  return profiles.List(profiles.ListCount() - 1);
}

// Firefox's forks, below "AppData", with their profiles.ini and "Profiles"
// folder as Firefox has them.
constexpr const char* kFirefoxForks[] = {
    "\\librewolf", "\\Waterfox", "\\Floorp", "\\zen", "\\Moonchild Productions\\Pale Moon",
    "\\Mozilla\\SeaMonkey", "\\Mullvad\\MullvadBrowser",
};

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

// The browser's last-used profile: "profile.last_used" in its "Local State"
// when that is one plain folder name, else "Default".
std::string LastUsedProfile(platform::FileSystem& files, const std::string& folder) {
  const auto text = ReadSmallFile(files, folder + "\\Local State");
  if (!text) return "Default";
  const auto state = nlohmann::json::parse(*text, nullptr, false);
  const nlohmann::json::json_pointer lastUsed("/profile/last_used");
  if (!state.contains(lastUsed) || !state.at(lastUsed).is_string()) return "Default";
  const auto& name = state.at(lastUsed).get_ref<const std::string&>();
  return IsPlainName(name) ? name : "Default";
}

// Of the bookmark stores of Firefox's forks' start profiles and the
// last-used profiles' "Bookmarks" files of the Chromium family, the one
// written last; nothing when there is none.
std::optional<std::string> LatestOtherBookmarks(platform::Registry& registry, platform::FileSystem& files,
                                                const std::optional<std::string>& appData) {
  Latest latest;
  for (const char* fork : kFirefoxForks) {
    DirectoryList profiles(files);
    const auto profile = appData ? StartProfile(files, *appData + fork, profiles) : std::nullopt;
    if (auto store = profile ? BookmarkStore(files, *profile) : std::nullopt) {
      const auto written = files.LastWriteTime(*store);
      latest.Offer(std::move(*store), written);
    }
  }
  const auto localAppData = ReadShellFolder(registry, "Local AppData");
  for (const auto& browser : kChromiumBrowsers) {
    const auto& shellFolder = browser.opera ? appData : localAppData;
    if (!shellFolder) continue;
    const std::string folder = *shellFolder + browser.folder;
    std::vector<std::string> candidates = {folder + "\\" + LastUsedProfile(files, folder) + "\\Bookmarks"};
    if (browser.opera) candidates.push_back(folder + "\\Bookmarks");
    for (auto& bookmarks : candidates) {
      const auto written = files.LastWriteTime(bookmarks);
      latest.Offer(std::move(bookmarks), written);
    }
  }
  return latest.candidate;
}

// The bookmark store of the profile Firefox starts with (StartProfile,
// DirLocal listing Firefox's "Profiles" folder). When that profile holds
// none, or there is no Firefox profile, the store written last of Firefox's
// forks and the Chromium family; without one, Firefox's profile's
// bookmarks.html all the same.
std::optional<std::string> ProposedBookmarks(Root& root, const std::optional<std::string>& appData) try {
  auto& files = root.Platform().Files();
  const auto profile = appData ? StartProfile(files, *appData + "\\Mozilla\\Firefox", root.DirLocal) : std::nullopt;
  if (auto store = profile ? BookmarkStore(files, *profile) : std::nullopt) return store;
  if (auto other = LatestOtherBookmarks(root.Platform().Reg(), files, appData)) return other;
  if (profile) return *profile + "\\bookmarks.html";
  return std::nullopt;
} catch (...) {
  // Out of memory: no proposal.
  return std::nullopt;
}

}  // namespace

void ProposeDefaultPaths(Root& root) {
  auto& registry = root.Platform().Reg();
  auto& ui = root.Platform().Ui();

  if (const auto bookmarks = ProposedBookmarks(root, ReadShellFolder(registry, "AppData"))) {
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
