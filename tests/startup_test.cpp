// The start-up's proposals from the shell-folder values and real profile
// folders on drive C:.
#include "app/startup.h"

#include <optional>
#include <string>
#include <vector>

#include "tests/host_fixture.h"

namespace merkwandel::testing {
namespace {

using namespace std::string_literals;
using app::Field;
using platform::kHkeyCurrentUser;

constexpr char kAppData[] = "C:\\Dokumente und Einstellungen\\Benutzer\\Anwendungsdaten";
constexpr char kProfiles[] =
    "C:\\Dokumente und Einstellungen\\Benutzer\\Anwendungsdaten\\Mozilla\\Firefox\\Profiles";
constexpr char kHostProfiles[] =
    "Dokumente und Einstellungen/Benutzer/Anwendungsdaten/Mozilla/Firefox/Profiles";
constexpr char kFavorites[] = "C:\\Dokumente und Einstellungen\\Benutzer\\Favoriten";
// The fields' texts before the start-up.
constexpr char kDesignHypertext[] = "E:\\Eigene Dateien\\Vollständige Lesezeichen (Mozilla Firefox) 6.html";
constexpr char kDesignFavoriten[] = "D:\\Eigene Dateien\\Arbeitsoberfläche\\Favoriten";

// Text data as the registry holds it (UTF-16LE), from UTF-8.
std::string Wide(const std::string& text) { return platform::host::HostRegistry::Utf16Bytes(text); }

class StartupTest : public HostFixture {
 protected:
  void Store(const char* name, std::uint32_t type, const std::string& bytes) {
    registry_.SetValue(kHkeyCurrentUser, app::kShellFoldersKey, name, type, bytes);
  }
  void ExpectNothingLeftBehind() {
    EXPECT_TRUE(ui_.messages.empty());
    EXPECT_EQ(registry_.OpenKeys(), 0u);
  }

  platform::host::HostRegistry& registry_ = platform_.HostReg();
  app::Root root_{platform_};
};

TEST_F(StartupTest, ProposesTheProfilesBookmarkFileAndTheImportFolder) {
  Store("AppData", platform::kRegSz, Wide(kAppData + "\0"s));
  Store("Favorites", platform::kRegSz, Wide(kFavorites + "\0"s));
  MakeHostFolder(Host(kHostProfiles + "/x1y2.default"s));  // no bookmark file in it
  std::vector<std::string> textsAtPumps;
  ui_.onPump = [&] {
    textsAtPumps.push_back(root_.Text(Field::tHypertext) + "|" + root_.Text(Field::tFavoriten));
    return true;
  };

  app::ProposeDefaultPaths(root_);

  const std::string bookmarks = kProfiles + "\\x1y2.default\\bookmarks.html"s;
  const std::string target = kFavorites + "\\Importierte Dateien"s;
  EXPECT_EQ(root_.DirLocal.Path(), kProfiles);
  EXPECT_EQ(root_.Text(Field::tHypertext), bookmarks);
  EXPECT_EQ(root_.Text(Field::tFavoriten), target);
  // One pump after each field, AppData read first.
  EXPECT_EQ(textsAtPumps, (std::vector<std::string>{bookmarks + "|" + kDesignFavoriten,
                                                     bookmarks + "|" + target}));
  ASSERT_EQ(registry_.calls.size(), 8u);
  EXPECT_EQ(registry_.calls[1], "query AppData size 0 -> 0");
  EXPECT_EQ(registry_.calls[5], "query Favorites size 0 -> 0");
  ExpectNothingLeftBehind();
}

TEST_F(StartupTest, StopsWhenTheWindowIsClosing) {
  Store("AppData", platform::kRegSz, Wide(kAppData + "\0"s));
  Store("Favorites", platform::kRegSz, Wide(kFavorites + "\0"s));
  MakeHostFolder(Host(kHostProfiles + "/x1y2.default"s));
  ui_.onPump = [] { return false; };

  app::ProposeDefaultPaths(root_);

  EXPECT_EQ(root_.Text(Field::tHypertext), kProfiles + "\\x1y2.default\\bookmarks.html"s);
  EXPECT_EQ(root_.Text(Field::tFavoriten), kDesignFavoriten);
  EXPECT_EQ(ui_.pumps, 1u);
  ExpectNothingLeftBehind();
}

struct Stored {
  std::uint32_t type;
  std::string bytes;
};

struct FieldCase {
  const char* name;
  std::optional<Stored> appData;    // nothing: no such value
  std::optional<Stored> favorites;
  std::vector<std::string> hostFolders;  // made below drive C:'s folder
  const char* dirLocal;   // the folder DirLocal shows afterwards
  const char* hypertext;  // nullptr: the design text stays
  const char* favoriten;
  std::vector<std::string> hostFiles = {};  // made below drive C:'s folder
  friend void PrintTo(const FieldCase& c, std::ostream* os) { *os << c.name; }
};

class StartupFieldsTest : public StartupTest, public ::testing::WithParamInterface<FieldCase> {};

TEST_P(StartupFieldsTest, FillsWhatItCanWorkOut) {
  const auto& c = GetParam();
  registry_.AddKey(kHkeyCurrentUser, app::kShellFoldersKey);
  if (c.appData) Store("AppData", c.appData->type, c.appData->bytes);
  if (c.favorites) Store("Favorites", c.favorites->type, c.favorites->bytes);
  for (const auto& folder : c.hostFolders) MakeHostFolder(Host(folder));
  for (const auto& file : c.hostFiles) WriteHostFile(Host(file), "");

  app::ProposeDefaultPaths(root_);

  EXPECT_EQ(root_.DirLocal.Path(), c.dirLocal);
  EXPECT_EQ(root_.Text(Field::tHypertext), c.hypertext ? c.hypertext : kDesignHypertext);
  EXPECT_EQ(root_.Text(Field::tFavoriten), c.favoriten ? c.favoriten : kDesignFavoriten);
  EXPECT_EQ(ui_.pumps, (c.hypertext ? 1u : 0u) + (c.favoriten ? 1u : 0u));
  ExpectNothingLeftBehind();
}

const Stored kAppDataText{1, Wide("C:\\AD\0"s)};
const Stored kFavoritesText{1, Wide("C:\\Fav\0"s)};
constexpr char kAd[] = "C:\\AD\\Mozilla\\Firefox\\Profiles";
constexpr char kAdProfile[] = "C:\\AD\\Mozilla\\Firefox\\Profiles\\p\\bookmarks.html";
constexpr char kTarget[] = "C:\\Fav\\Importierte Dateien";

INSTANTIATE_TEST_SUITE_P(
    Cases, StartupFieldsTest,
    ::testing::Values(
        // The last profile in name order without regard to letter case.
        FieldCase{"SeveralProfiles", kAppDataText, kFavoritesText,
                  {"AD/Mozilla/Firefox/Profiles/beta", "AD/Mozilla/Firefox/Profiles/Zeta",
                   "AD/Mozilla/Firefox/Profiles/alpha"},
                  kAd, "C:\\AD\\Mozilla\\Firefox\\Profiles\\Zeta\\bookmarks.html", kTarget},
        FieldCase{"NoProfileSubfolder", kAppDataText, kFavoritesText,
                  {"AD/Mozilla/Firefox/Profiles"},
                  kAd, "C:\\AD\\Mozilla\\Firefox\\Profiles\\bookmarks.html", kTarget},
        // Firefox's bookmark database, when the profile has no export.
        FieldCase{"OnlyTheDatabase", kAppDataText, kFavoritesText, {"AD/Mozilla/Firefox/Profiles/p"}, kAd,
                  "C:\\AD\\Mozilla\\Firefox\\Profiles\\p\\places.sqlite", kTarget,
                  {"AD/Mozilla/Firefox/Profiles/p/places.sqlite"}},
        FieldCase{"DatabaseAndExport", kAppDataText, kFavoritesText, {"AD/Mozilla/Firefox/Profiles/p"}, kAd,
                  kAdProfile, kTarget,
                  {"AD/Mozilla/Firefox/Profiles/p/places.sqlite", "AD/Mozilla/Firefox/Profiles/p/bookmarks.html"}},
        FieldCase{"MissingProfilesFolder", kAppDataText, kFavoritesText, {"AD/Mozilla"},
                  kAd, nullptr, kTarget},
        FieldCase{"FolderNamesInAnyScript", Stored{1, Wide("C:\\Закладки Łódź\0"s)},
                  Stored{1, Wide("C:\\Избранное ✓\0"s)},
                  {"Закладки Łódź/Mozilla/Firefox/Profiles/ж.default"},
                  "C:\\Закладки Łódź\\Mozilla\\Firefox\\Profiles",
                  "C:\\Закладки Łódź\\Mozilla\\Firefox\\Profiles\\ж.default\\bookmarks.html",
                  "C:\\Избранное ✓\\Importierte Dateien"},
        FieldCase{"AppDataMissing", std::nullopt, kFavoritesText,
                  {"AD/Mozilla/Firefox/Profiles/p"}, "", nullptr, kTarget},
        FieldCase{"FavoritesMissing", kAppDataText, std::nullopt,
                  {"AD/Mozilla/Firefox/Profiles/p"}, kAd, kAdProfile, nullptr},
        FieldCase{"BothMissing", std::nullopt, std::nullopt, {}, "", nullptr, nullptr},
        // An empty AppData names "\Mozilla\Firefox\Profiles" below the current
        // drive's root, which does not exist here.
        FieldCase{"EmptyTexts", Stored{1, Wide("\0"s)}, Stored{1, Wide("\0"s)}, {},
                  "\\Mozilla\\Firefox\\Profiles", nullptr, "\\Importierte Dateien"},
        // The filler and anything behind the first zero never reach a field.
        FieldCase{"MultiSzAndExpandSz", Stored{7, Wide("C:\\AD\0C:\\X\0\0"s)},
                  Stored{2, Wide("%USERPROFILE%\\Favoriten\0"s)}, {"AD/Mozilla/Firefox/Profiles/p"},
                  kAd, kAdProfile, "%USERPROFILE%\\Favoriten\\Importierte Dateien"},
        // Reads that answer true without a zero-terminated text.
        FieldCase{"NumbersInsteadOfTexts", Stored{4, "\x01\0\0\0"s}, Stored{3, "C:"s},
                  {"AD/Mozilla/Firefox/Profiles/p"}, "", nullptr, nullptr},
        FieldCase{"TextsWithoutTheirZero", Stored{1, Wide("C:\\AD")}, Stored{2, ""s},
                  {"AD/Mozilla/Firefox/Profiles/p"}, "", nullptr, nullptr},
        // An unknown type must not pass on the AppData text.
        FieldCase{"UnknownTypeAfterAText", kAppDataText, Stored{0, Wide("C:\\Fav\0"s)},
                  {"AD/Mozilla/Firefox/Profiles/p"}, kAd, kAdProfile, nullptr}),
    [](const auto& param) { return std::string(param.param.name); });

}  // namespace
}  // namespace merkwandel::testing
