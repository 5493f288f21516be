// The start-up's proposals from the shell-folder values and real profile
// folders on drive C:, each field shown with one pump once it is set.
#include "app/startup.h"

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
  std::vector<std::string> hostFiles;  // made below drive C:'s folder; a name ending in "/" is a folder
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
  for (const auto& [name, value] : {std::pair{"AppData", c.appData}, std::pair{"Favorites", c.favorites}}) {
    if (value) {
      registry.SetValue(platform::kHkeyCurrentUser,
                        "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders", name, value->type,
                        value->bytes);
    }
  }
  for (const auto& file : c.hostFiles) {
    file.ends_with('/') ? MakeHostFolder(Host(file)) : WriteHostFile(Host(file), "");
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
        StartupCase{"OnlyTheDatabase", kAppDataText, kFavoritesText, {"AD/Mozilla/Firefox/Profiles/p/places.sqlite"},
                    kAd, "C:\\AD\\Mozilla\\Firefox\\Profiles\\p\\places.sqlite", kTarget},
        StartupCase{"DatabaseAndExport", kAppDataText, kFavoritesText,
                    {"AD/Mozilla/Firefox/Profiles/p/places.sqlite", "AD/Mozilla/Firefox/Profiles/p/bookmarks.html"},
                    kAd, kAdProfile, kTarget},
        StartupCase{"MissingProfilesFolder", kAppDataText, kFavoritesText, {"AD/Mozilla/"}, kAd, nullptr, kTarget},
        StartupCase{"AppDataMissing", std::nullopt, kFavoritesText, kProfileP, "", nullptr, kTarget},
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
