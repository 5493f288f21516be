// ShowFileDialog and ShowOpenDialog against the host dialog, which answers as
// the Windows dialog does: the record the module builds, and how it splits
// what the dialog gives back.
#include <gtest/gtest.h>

#include <string>

#include "platform/host/host_dialogs.h"
#include "system/com_dlg_dll.h"

namespace merkwandel::testing {
namespace {

using namespace std::string_literals;

using platform::host::HostCommonDialogs;
using system_helpers::ShowFileDialog;
using system_helpers::ShowOpenDialog;

constexpr char kFilter[] = "Hypertextdokumente|*.htm; *.html|Alle Dateitypen|*.*";
constexpr std::uintptr_t kOwner = 0x1234;

class FileDialogTest : public ::testing::Test {
 protected:
  std::string Open(std::string& folder, const std::string& fileName = "") {
    return ShowOpenDialog(dialogs_, kOwner, "Datei öffnen", folder, fileName, kFilter, "htm");
  }
  const platform::FileDialogRecord& Record() const { return dialogs_.calls.back().record; }

  HostCommonDialogs dialogs_;
};

TEST_F(FileDialogTest, RecordOfTheOpenDialog) {
  std::string folder = "C:\\Daten\\";
  Open(folder);
  ASSERT_EQ(dialogs_.calls.size(), 1u);
  EXPECT_FALSE(dialogs_.calls[0].save);
  const auto& record = Record();
  EXPECT_EQ(record.structSize, sizeof(void*) == 4 ? 76u : 136u);
  EXPECT_EQ(record.owner, kOwner);
  // Four parts, each with its NUL, and one more NUL to end the list.
  EXPECT_EQ(record.filter,
            "Hypertextdokumente\0*.htm; *.html\0Alle Dateitypen\0*.*\0\0"s);
  EXPECT_EQ(record.filterIndex, 1u);
  EXPECT_EQ(record.maxFile, 260u);
  EXPECT_EQ(record.file, std::string(260, '\0'));
  EXPECT_EQ(record.initialDir, "C:\\Daten\\");
  EXPECT_EQ(record.title, "Datei öffnen");
  EXPECT_EQ(record.flags, 0x1804u);
  EXPECT_EQ(record.defaultExt, "htm");
}

TEST_F(FileDialogTest, InitialFileNameFillsTheStartOfTheBuffer) {
  std::string folder;
  // 260 UTF-16 units in all: the name's 19 (two for the emoji), then NULs.
  Open(folder, "Lesezeichen 😀.html");
  EXPECT_EQ(Record().file, "Lesezeichen 😀.html" + std::string(260 - 19, '\0'));
  EXPECT_EQ(Record().maxFile, 260u);
}

std::string Repeat(const std::string& piece, std::size_t times) {
  std::string text;
  for (std::size_t i = 0; i < times; ++i) text += piece;
  return text;
}

TEST_F(FileDialogTest, AnInitialFileNameWithoutRoomForItsNulShowsNoDialog) {
  // Counted in UTF-16 units: "ж" is one (two bytes), "😀" two (four bytes).
  std::string folder = "C:\\Daten\\";
  dialogs_.actions.push_back(HostCommonDialogs::Choose("C:\\Daten\\a.htm"));
  EXPECT_EQ(Open(folder, Repeat("😀", 130)), "");
  EXPECT_EQ(Open(folder, Repeat("ж", 260)), "");
  EXPECT_TRUE(dialogs_.calls.empty());
  EXPECT_EQ(folder, "C:\\Daten\\");
  EXPECT_EQ(Open(folder, Repeat("ж", 259)), "a.htm");  // the longest that fits
}

struct FilterCase {
  const char* filter;
  std::string list;
};

class FilterTest : public ::testing::TestWithParam<FilterCase> {};

TEST_P(FilterTest, EveryBarBecomesANul) {
  EXPECT_EQ(system_helpers::ConvertFilter(GetParam().filter), GetParam().list);
}

INSTANTIATE_TEST_SUITE_P(
    Filters, FilterTest,
    ::testing::Values(FilterCase{"Text|*.txt", "Text\0*.txt\0\0"s},
                      FilterCase{"", "\0\0"s},
                      // A filter that already ends in "|" gets a third NUL.
                      FilterCase{"Alle|*.*|", "Alle\0*.*\0\0\0"s}));

struct ModeCase {
  std::int16_t mode;
  bool save;
  std::uint32_t flags;
};

class ModeTest : public FileDialogTest, public ::testing::WithParamInterface<ModeCase> {};

TEST_P(ModeTest, ChoosesDialogAndFlags) {
  const auto& c = GetParam();
  std::string folder = "C:\\";
  dialogs_.actions.push_back(HostCommonDialogs::Choose("C:\\Daten\\neu.htm"));
  EXPECT_EQ(ShowFileDialog(dialogs_, kOwner, "Speichern", folder, "neu.htm", kFilter, "htm", c.mode),
            "neu.htm");
  EXPECT_EQ(folder, "C:\\Daten\\");
  ASSERT_EQ(dialogs_.calls.size(), 1u);
  EXPECT_EQ(dialogs_.calls[0].save, c.save);
  EXPECT_EQ(Record().flags, c.flags);
  EXPECT_EQ(system_helpers::FileDialogFlags(c.mode), c.flags);
}

INSTANTIATE_TEST_SUITE_P(Modes, ModeTest,
                         ::testing::Values(ModeCase{0, false, 0x1804}, ModeCase{1, true, 0x806},
                                           ModeCase{2, true, 0x804}, ModeCase{3, true, 0},
                                           ModeCase{-1, true, 0}));

struct ChoiceCase {
  const char* name;
  std::string chosen;  // the path the user chooses
  std::string folder;  // what `folder` becomes
  std::string result;
};
void PrintTo(const ChoiceCase& c, std::ostream* os) { *os << c.name; }

class ChoiceTest : public FileDialogTest, public ::testing::WithParamInterface<ChoiceCase> {};

TEST_P(ChoiceTest, SplitsAtTheFileNameOffset) {
  const auto& c = GetParam();
  std::string folder = "D:\\Anderswo";
  dialogs_.actions.push_back(HostCommonDialogs::Choose(c.chosen));
  EXPECT_EQ(Open(folder), c.result);
  EXPECT_EQ(folder, c.folder);
}

INSTANTIATE_TEST_SUITE_P(
    Paths, ChoiceTest,
    ::testing::Values(
        ChoiceCase{"InAFolder", "C:\\Daten\\bookmarks.html", "C:\\Daten\\", "bookmarks.html"},
        ChoiceCase{"InADriveRoot", "C:\\bookmarks.html", "C:\\", "bookmarks.html"},
        ChoiceCase{"OnAShare", "\\\\server\\freigabe\\b.htm", "\\\\server\\freigabe\\", "b.htm"},
        // The name's offset counts bytes of the UTF-8 path.
        ChoiceCase{"NamesInAnyScript", "C:\\Закладки Łódź\\Мої закладки 😀.html", "C:\\Закладки Łódź\\",
                   "Мої закладки 😀.html"},
        // 259 UTF-16 units are the most the buffer holds beside the NUL.
        ChoiceCase{"LongestThatFits", "C:\\" + Repeat("ж", 249) + "\\a.html",
                   "C:\\" + Repeat("ж", 249) + "\\", "a.html"},
        // Paths of 128 characters and more are taken as well.
        ChoiceCase{"Profile", "C:\\Users\\" + std::string(60, 'n') +
                                  "\\AppData\\Roaming\\Mozilla\\Firefox\\Profiles\\x.default-release\\bookmarks.html",
                   "C:\\Users\\" + std::string(60, 'n') +
                       "\\AppData\\Roaming\\Mozilla\\Firefox\\Profiles\\x.default-release\\",
                   "bookmarks.html"}),
    [](const auto& param) { return std::string(param.param.name); });

struct NoChoiceCase {
  const char* name;
  HostCommonDialogs::UserAction action;
};
void PrintTo(const NoChoiceCase& c, std::ostream* os) { *os << c.name; }

class NoChoiceTest : public FileDialogTest, public ::testing::WithParamInterface<NoChoiceCase> {};

TEST_P(NoChoiceTest, GivesNothingAndLeavesTheFolder) {
  std::string folder = "C:\\Daten";  // without "\": must come back exactly so
  dialogs_.actions.push_back(GetParam().action);
  EXPECT_EQ(Open(folder), "");
  EXPECT_EQ(folder, "C:\\Daten");
  EXPECT_EQ(dialogs_.calls.size(), 1u);
}

INSTANTIATE_TEST_SUITE_P(
    Actions, NoChoiceTest,
    ::testing::Values(
        NoChoiceCase{"Cancel", HostCommonDialogs::Cancel()},
        NoChoiceCase{"Failure", HostCommonDialogs::Fail(0x3002)},  // FNERR_INVALIDFILENAME
        NoChoiceCase{"PathTooLongForTheBuffer",
                     HostCommonDialogs::Choose("C:\\" + std::string(250, 'o') + "\\a.html")},
        NoChoiceCase{"PathOneTooLong", HostCommonDialogs::Choose("C:\\" + Repeat("😀", 128) + "a")}),
    [](const auto& param) { return std::string(param.param.name); });

}  // namespace
}  // namespace merkwandel::testing
