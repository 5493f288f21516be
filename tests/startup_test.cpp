// The start-up's proposals from the shell-folder values and real profile
// folders on drive C:, each field shown with one pump once it is set.
#include "app/startup.h"

#include <chrono>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "tests/host_fixture.h"

namespace merkwandel::testing {
namespace {

using namespace std::string_literals;
using app::Field;

// The fields' texts before the start-up.
constexpr char kDesignHypertext[] = "E:\\Eigene Dateien\\Vollständige Lesezeichen (Mozilla Firefox) 6.html";
constexpr char kDesignFavoriten[] = "D:\\Eigene Dateien\\Arbeitsoberfläche\\Favoriten";

struct Stored {
  std::uint32_t type;
  std::string bytes;  // a text as the registry holds it: UTF-16LE
};
Stored Text(const std::string& utf8) { return {1, platform::host::HostRegistry::Utf16Bytes(utf8)}; }

struct StartupCase {
  const char* name;
  std::optional<Stored> appData;  // nothing: no such value
  std::optional<Stored> favorites;
  // Made below drive C:'s folder: a name ending in "/" is a folder; a file
  // "name=content" holds that content, "name@N" was last written N minutes
  // after the others.
  std::vector<std::string> hostFiles;
  const char* dirLocal;   // the folder DirLocal shows afterwards
  const char* hypertext;  // nullptr: the design text stays
  const char* favoriten;
  bool closing = false;  // the window closes at the first pump
  friend void PrintTo(const StartupCase& c, std::ostream* os) { *os << c.name; }
};

class StartupTest : public HostFixture, public ::testing::WithParamInterface<StartupCase> {};

TEST_P(StartupTest, FillsWhatItCanWorkOut) {
  const auto& c = GetParam();
  auto& registry = platform_.HostReg();
  registry.AddKey(platform::kHkeyCurrentUser, "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders");
  // Where the Chromium-family browsers but Opera keep their profiles.
  const std::optional<Stored> localAppData = Text("C:\\LAD\0"s);
  for (const auto& [name, value] : {std::pair{"AppData", c.appData}, std::pair{"Favorites", c.favorites},
                                    std::pair{"Local AppData", localAppData}}) {
    if (value) {
      registry.SetValue(platform::kHkeyCurrentUser,
                        "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders", name, value->type,
                        value->bytes);
    }
  }
  const auto written = std::filesystem::file_time_type::clock::now() - std::chrono::hours(1);
  for (const auto& file : c.hostFiles) {
    const auto equals = file.find('='), at = file.find('@');
    const std::string name = file.substr(0, std::min(equals, at));
    file.ends_with('/') ? MakeHostFolder(Host(file))
                        : WriteHostFile(Host(name), equals == std::string::npos ? "" : file.substr(equals + 1));
    const int minutes = at == std::string::npos ? 0 : std::stoi(file.substr(at + 1));
    std::filesystem::last_write_time(Host(name), written + std::chrono::minutes(minutes));
  }
  app::Root root(platform_);
  std::vector<std::string> atPumps;
  ui_.onPump = [&] {
    atPumps.push_back(root.Text(Field::tHypertext) + " | " + root.Text(Field::tFavoriten));
    return !c.closing;
  };

  app::ProposeDefaultPaths(root);

  const std::string hypertext = c.hypertext ? c.hypertext : kDesignHypertext;
  const std::string favoriten = c.favoriten ? c.favoriten : kDesignFavoriten;
  EXPECT_EQ(root.DirLocal.Path(), c.dirLocal);
  EXPECT_EQ(root.Text(Field::tHypertext), hypertext);
  EXPECT_EQ(root.Text(Field::tFavoriten), favoriten);
  // A pump after each field that is set, the bookmark file's first.
  std::vector<std::string> pumps;
  if (c.hypertext) pumps.push_back(hypertext + " | " + kDesignFavoriten);
  if (c.favoriten) pumps.push_back(hypertext + " | " + favoriten);
  EXPECT_EQ(atPumps, pumps);
  EXPECT_TRUE(ui_.messages.empty());
}

const Stored kAppDataText = Text("C:\\AD\0"s);
const Stored kFavoritesText = Text("C:\\Fav\0"s);
constexpr char kAd[] = "C:\\AD\\Mozilla\\Firefox\\Profiles";
constexpr char kAdProfile[] = "C:\\AD\\Mozilla\\Firefox\\Profiles\\p\\bookmarks.html";
constexpr char kTarget[] = "C:\\Fav\\Importierte Dateien";
const std::vector<std::string> kProfileP = {"AD/Mozilla/Firefox/Profiles/p/"};
const std::string kChrome = "LAD/Google/Chrome/User Data/";
const std::string kChromium = "LAD/Chromium/User Data/";
const std::string kOpera = "AD/Opera Software/Opera Stable/";
const std::string kEdge = "LAD/Microsoft/Edge/User Data/";
const std::string kFx = "AD/Mozilla/Firefox/";
// Sections of profiles.ini: a profile below the browser's folder, and an installation's profile.
std::string Profile(char n, const std::string& path, bool marked = false) {
  return "[Profile"s + n + "]\nName=default\nIsRelative=1\nPath=" + path + (marked ? "\nDefault=1\n" : "\n");
}
std::string Install(const std::string& path) { return "[Install308046B0AF4A39CB]\nDefault=" + path + "\nLocked=1\n"; }

INSTANTIATE_TEST_SUITE_P(
    Cases, StartupTest,
    ::testing::Values(
        // One profile, which holds no bookmark file: proposed all the same.
        StartupCase{"OneProfile", Text("C:\\Dokumente und Einstellungen\\Benutzer\\Anwendungsdaten\0"s),
                    Text("C:\\Dokumente und Einstellungen\\Benutzer\\Favoriten\0"s),
                    {"Dokumente und Einstellungen/Benutzer/Anwendungsdaten/Mozilla/Firefox/Profiles/x1y2.default/"},
                    "C:\\Dokumente und Einstellungen\\Benutzer\\Anwendungsdaten\\Mozilla\\Firefox\\Profiles",
                    "C:\\Dokumente und Einstellungen\\Benutzer\\Anwendungsdaten\\Mozilla\\Firefox\\Profiles\\"
                    "x1y2.default\\bookmarks.html",
                    "C:\\Dokumente und Einstellungen\\Benutzer\\Favoriten\\Importierte Dateien"},
        // The last profile in name order without regard to letter case.
        StartupCase{"SeveralProfiles", kAppDataText, kFavoritesText,
                    {"AD/Mozilla/Firefox/Profiles/beta/", "AD/Mozilla/Firefox/Profiles/Zeta/",
                     "AD/Mozilla/Firefox/Profiles/alpha/"},
                    kAd, "C:\\AD\\Mozilla\\Firefox\\Profiles\\Zeta\\bookmarks.html", kTarget},
        StartupCase{"NoProfileSubfolder", kAppDataText, kFavoritesText, {"AD/Mozilla/Firefox/Profiles/"}, kAd,
                    "C:\\AD\\Mozilla\\Firefox\\Profiles\\bookmarks.html", kTarget},
        // Firefox's bookmark database, when the profile has no export.
        // Firefox's bookmark database, when the profile has no export, before
        // any other browser's bookmarks.
        StartupCase{"OnlyTheDatabase", kAppDataText, kFavoritesText,
                    {"AD/Mozilla/Firefox/Profiles/p/places.sqlite", kChrome + "Default/Bookmarks@9",
                     "AD/librewolf/Profiles/l/places.sqlite@9"},
                    kAd, "C:\\AD\\Mozilla\\Firefox\\Profiles\\p\\places.sqlite", kTarget},
        // A Firefox profile without bookmarks: the Chromium-family browser's
        // last-used profile, named in its "Local State" (of a few kilobytes).
        StartupCase{"ChromesLastUsedProfile", kAppDataText, kFavoritesText,
                    {"AD/Mozilla/Firefox/Profiles/p/", kChrome + "Default/Bookmarks@5", kChrome + "Profile 2/Bookmarks",
                     kChrome + R"(Local State={"browser":{"x":")" + std::string(5000, 'x') +
                         R"("},"profile":{"last_used":"Profile 2"}})"},
                    kAd, "C:\\LAD\\Google\\Chrome\\User Data\\Profile 2\\Bookmarks", kTarget},
        // No Firefox; without a last-used profile (no "Local State", or no
        // name in it), "Default".
        StartupCase{"NoLastUsedProfile", kAppDataText, kFavoritesText,
                    {"LAD/Vivaldi/User Data/Default/Bookmarks", "LAD/Vivaldi/User Data/Profile 1/Bookmarks@5",
                     kChromium + "Default/Bookmarks@2", kChromium + "Profile 1/Bookmarks@5",
                     kChromium + R"(Local State={"profile":{"last_used":7}})"},
                    kAd, "C:\\LAD\\Chromium\\User Data\\Default\\Bookmarks", kTarget},
        // A last-used profile that is no plain folder name (empty, ".."): "Default".
        StartupCase{"LastUsedNoFolderName", kAppDataText, kFavoritesText,
                    {kChrome + "Default/Bookmarks@1", kChrome + R"(Local State={"profile":{"last_used":".."}})",
                     "LAD/Google/Chrome/Bookmarks@9", kEdge + "Default/Bookmarks@5", kEdge + "Bookmarks@8",
                     kEdge + R"(Local State={"profile":{"last_used":""}})"},
                    kAd, "C:\\LAD\\Microsoft\\Edge\\User Data\\Default\\Bookmarks", kTarget},
        // Firefox's profiles.ini: the profile an installation starts with, not
        // the one marked Default=1 that sorts last (a byte order mark, CR LF).
        StartupCase{"FreshInstallation", kAppDataText, kFavoritesText,
                    {kFx + "profiles.ini=\xEF\xBB\xBF[Install308046B0AF4A39CB]\r\nDefault=Profiles/a1.default-release\r\n"
                           "[Profile1]\r\nIsRelative=1\r\nPath=Profiles/q7.default\r\nDefault=1\r\n\r\n"
                           "[Profile0]\r\nIsRelative=1\r\nPath=Profiles/a1.default-release\r\n",
                     kFx + "Profiles/q7.default/times.json", kFx + "Profiles/a1.default-release/places.sqlite"},
                    kAd, "C:\\AD\\Mozilla\\Firefox\\Profiles\\a1.default-release\\places.sqlite", kTarget},
        // Installations named in installs.ini: the profile whose store was
        // written last, before one without a store and the Default=1 one.
        StartupCase{"SeveralInstallations", kAppDataText, kFavoritesText,
                    {kFx + "profiles.ini=" + Profile('0', "Profiles/r.release") + Profile('1', "Profiles/e.esr") +
                         Profile('2', "Profiles/n.nightly") + Profile('3', "Profiles/z.default", true),
                     kFx + "installs.ini=[3E]\nDefault=Profiles/r.release\n[A1]\nDefault=Profiles/e.esr\n[B2]\nDefault=Profiles/n.nightly",
                     kFx + "Profiles/r.release/places.sqlite@2", kFx + "Profiles/e.esr/bookmarks.html@4",
                     kFx + "Profiles/n.nightly/", kFx + "Profiles/z.default/places.sqlite@9"},
                    kAd, "C:\\AD\\Mozilla\\Firefox\\Profiles\\e.esr\\bookmarks.html", kTarget},
        // Without installations, the profile marked Default=1.
        StartupCase{"OldProfilesIni", kAppDataText, kFavoritesText,
                    {kFx + "profiles.ini=" + Profile('0', "Profiles/m.default", true) + Profile('1', "Profiles/x.other"),
                     kFx + "Profiles/m.default/bookmarks.html", kFx + "Profiles/x.other/places.sqlite"},
                    kAd, "C:\\AD\\Mozilla\\Firefox\\Profiles\\m.default\\bookmarks.html", kTarget},
        // A profile elsewhere, by its full path; an installation's profile that
        // is gone counts as missing.
        StartupCase{"AbsolutePath", kAppDataText, kFavoritesText,
                    {kFx + "profiles.ini=" + Install("Profiles/gone") + Profile('0', "Profiles/gone") +
                         "[Profile1]\nIsRelative=0\nPath=C:\\Benutzer\\Jürgen Müller\\Firefox Profil\nDefault=1\n",
                     "Benutzer/Jürgen Müller/Firefox Profil/places.sqlite", kFx + "Profiles/p/"},
                    kAd, "C:\\Benutzer\\Jürgen Müller\\Firefox Profil\\places.sqlite", kTarget},
        // A relative path that leaves the browser's folder counts as missing.
        StartupCase{"PathLeavesTheFolder", kAppDataText, kFavoritesText,
                    {kFx + "profiles.ini=" + Install("../Fremd") + Profile('0', "../Fremd", true),
                     "AD/Mozilla/Fremd/places.sqlite", kFx + "Profiles/p/"},
                    kAd, kAdProfile, kTarget},
        // A profiles.ini of over a megabyte, or not UTF-8, names no profile:
        // the last profile folder by name, for Firefox and its forks alike.
        StartupCase{"DamagedProfilesIni", kAppDataText, kFavoritesText,
                    {kFx + "profiles.ini=" + Profile('0', "Profiles/a", true) + std::string(1 << 20, ';'),
                     kFx + "Profiles/a/places.sqlite", kFx + "Profiles/b/",
                     "AD/librewolf/profiles.ini=;\xFF\n" + Profile('0', "Profiles/l", true),
                     "AD/librewolf/Profiles/l/places.sqlite@2", "AD/librewolf/Profiles/m/places.sqlite@1"},
                    kAd, "C:\\AD\\librewolf\\Profiles\\m\\places.sqlite", kTarget},
        // Without Firefox's bookmarks, its forks' start profiles compete with
        // the Chromium family by the time their store was written.
        StartupCase{"Forks", kAppDataText, kFavoritesText,
                    {"AD/librewolf/profiles.ini=" + Install("Profiles/l.default") + Profile('0', "Profiles/l.default"),
                     "AD/librewolf/Profiles/l.default/places.sqlite@5", "AD/librewolf/Profiles/z/places.sqlite@9",
                     "AD/Waterfox/Profiles/w/bookmarks.html@3", kChrome + "Default/Bookmarks@4"},
                    kAd, "C:\\AD\\librewolf\\Profiles\\l.default\\places.sqlite", kTarget},
        // The browser whose bookmarks changed last; Opera keeps them in its
        // folder, or in that folder's profile.
        StartupCase{"SeveralBrowsers", kAppDataText, kFavoritesText,
                    {kChrome + "Default/Bookmarks@2", "LAD/Microsoft/Edge/User Data/Default/Bookmarks@7",
                     "LAD/BraveSoftware/Brave-Browser/User Data/Default/Bookmarks@4", kOpera + "Bookmarks@6",
                     kChromium + "Default/Bookmarks@1"},
                    kAd, "C:\\LAD\\Microsoft\\Edge\\User Data\\Default\\Bookmarks", kTarget},
        StartupCase{"OperaInItsFolder", kAppDataText, kFavoritesText, {kOpera + "Bookmarks@3", kChrome + "Default/Bookmarks@2"},
                    kAd, "C:\\AD\\Opera Software\\Opera Stable\\Bookmarks", kTarget},
        StartupCase{"OperaInItsProfile", kAppDataText, kFavoritesText, {kOpera + "Default/Bookmarks@3", kOpera + "Bookmarks"},
                    kAd, "C:\\AD\\Opera Software\\Opera Stable\\Default\\Bookmarks", kTarget},
        StartupCase{"DatabaseAndExport", kAppDataText, kFavoritesText,
                    {"AD/Mozilla/Firefox/Profiles/p/places.sqlite", "AD/Mozilla/Firefox/Profiles/p/bookmarks.html"},
                    kAd, kAdProfile, kTarget},
        // Neither Firefox nor a Chromium-family browser.
        StartupCase{"MissingProfilesFolder", kAppDataText, kFavoritesText, {"AD/Mozilla/"}, kAd, nullptr, kTarget},
        StartupCase{"AppDataMissing", std::nullopt, kFavoritesText,
                    {"AD/Mozilla/Firefox/Profiles/p/", kChrome + "Default/Bookmarks"}, "",
                    "C:\\LAD\\Google\\Chrome\\User Data\\Default\\Bookmarks", kTarget},
        StartupCase{"FavoritesMissing", kAppDataText, std::nullopt, kProfileP, kAd, kAdProfile, nullptr},
        StartupCase{"BothMissing", std::nullopt, std::nullopt, {}, "", nullptr, nullptr},
        StartupCase{"WindowClosing", kAppDataText, kFavoritesText, kProfileP, kAd, kAdProfile, nullptr, true},
        // An empty AppData names "\Mozilla\Firefox\Profiles" below the current
        // drive's root, which does not exist here.
        StartupCase{"EmptyTexts", Text("\0"s), Text("\0"s), {}, "\\Mozilla\\Firefox\\Profiles", nullptr,
                    "\\Importierte Dateien"},
        // The filler and anything behind the first zero never reach a field.
        StartupCase{"MultiSzAndExpandSz", Stored{7, Text("C:\\AD\0C:\\X\0\0"s).bytes},
                    Stored{2, Text("%USERPROFILE%\\Favoriten\0"s).bytes}, kProfileP, kAd, kAdProfile,
                    "%USERPROFILE%\\Favoriten\\Importierte Dateien"},
        // Reads that answer true without a zero-terminated text.
        StartupCase{"NumbersInsteadOfTexts", Stored{4, "\x01\0\0\0"s}, Stored{3, "C:"s}, kProfileP, "", nullptr,
                    nullptr},
        StartupCase{"TextsWithoutTheirZero", Text("C:\\AD"), Stored{2, ""s}, kProfileP, "", nullptr, nullptr},
        // An unknown type must not pass on the AppData text.
        StartupCase{"UnknownTypeAfterAText", kAppDataText, Stored{0, Text("C:\\Fav\0"s).bytes}, kProfileP, kAd,
                    kAdProfile, nullptr}),
    [](const auto& param) { return std::string(param.param.name); });

}  // namespace
}  // namespace merkwandel::testing
