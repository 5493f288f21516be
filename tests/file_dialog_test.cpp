// ShowFileDialog against the host dialog, which answers as the Windows
// dialog does: the initial name in its buffer, the modes, and how it splits
// what the dialog gives back. (The record of the program's one call is
// checked with the file choice.)
#include <gtest/gtest.h>

#include <string>

#include "platform/host/host_dialogs.h"
#include "system/com_dlg_dll.h"

namespace merkwandel::testing {
namespace {

using platform::host::HostCommonDialogs;
using system_helpers::ShowFileDialog;

std::string Repeat(const std::string& piece, std::size_t times) {
  std::string text;
  for (std::size_t i = 0; i < times; ++i) text += piece;
  return text;
}

class FileDialogTest : public ::testing::Test {
 protected:
  std::string Show(std::string& folder, const std::string& fileName = "", std::int16_t mode = 0) {
    return ShowFileDialog(dialogs_, 0x1234, "Datei öffnen", folder, fileName, "Alle|*.*", "htm", mode);
  }
  HostCommonDialogs dialogs_;
};

TEST_F(FileDialogTest, TheInitialFileNameFillsTheStartOfTheBufferIfItFits) {
  // 260 UTF-16 units in all: "ж" is one (two bytes), "😀" two (four bytes).
  std::string folder = "C:\\Daten\\";
  Show(folder, "Lesezeichen 😀.html");
  ASSERT_EQ(dialogs_.calls.size(), 1u);
  EXPECT_EQ(dialogs_.calls[0].record.file, "Lesezeichen 😀.html" + std::string(260 - 19, '\0'));
  // Without room for its NUL: no dialog.
  dialogs_.actions.push_back(HostCommonDialogs::Choose("C:\\Daten\\a.htm"));
  EXPECT_EQ(Show(folder, Repeat("😀", 130)), "");
  EXPECT_EQ(Show(folder, Repeat("ж", 260)), "");
  EXPECT_EQ(dialogs_.calls.size(), 1u);
  EXPECT_EQ(folder, "C:\\Daten\\");
  EXPECT_EQ(Show(folder, Repeat("ж", 259)), "a.htm");  // the longest that fits
}

TEST_F(FileDialogTest, TheModesChooseDialogAndFlags) {
  const struct {
    std::int16_t mode;
    bool save;
    std::uint32_t flags;
  } rows[] = {{0, false, 0x1804}, {1, true, 0x806}, {2, true, 0x804}, {3, true, 0}, {-1, true, 0}};
  for (const auto& row : rows) {
    std::string folder = "C:\\";
    dialogs_.actions.push_back(HostCommonDialogs::Choose("C:\\Daten\\neu.htm"));
    EXPECT_EQ(Show(folder, "neu.htm", row.mode), "neu.htm") << row.mode;
    EXPECT_EQ(folder, "C:\\Daten\\");
    EXPECT_EQ(dialogs_.calls.back().save, row.save) << row.mode;
    EXPECT_EQ(dialogs_.calls.back().record.flags, row.flags) << row.mode;
  }
}

struct ChoiceCase {
  const char* name;
  HostCommonDialogs::UserAction action;
  std::string folder;  // what `folder` ("C:\Daten" before) becomes
  std::string result;
  friend void PrintTo(const ChoiceCase& c, std::ostream* os) { *os << c.name; }
};

class ChoiceTest : public FileDialogTest, public ::testing::WithParamInterface<ChoiceCase> {};

TEST_P(ChoiceTest, SplitsAtTheFileNameOffset) {
  std::string folder = "C:\\Daten";
  dialogs_.actions.push_back(GetParam().action);
  EXPECT_EQ(Show(folder), GetParam().result);
  EXPECT_EQ(folder, GetParam().folder);
}

INSTANTIATE_TEST_SUITE_P(
    Paths, ChoiceTest,
    ::testing::Values(
        ChoiceCase{"InAFolder", HostCommonDialogs::Choose("C:\\Daten\\bookmarks.html"), "C:\\Daten\\", "bookmarks.html"},
        ChoiceCase{"OnAShare", HostCommonDialogs::Choose("\\\\server\\freigabe\\b.htm"), "\\\\server\\freigabe\\", "b.htm"},
        // The name's offset counts bytes of the UTF-8 path.
        ChoiceCase{"NamesInAnyScript", HostCommonDialogs::Choose("C:\\Закладки Łódź\\Мої закладки 😀.html"),
                   "C:\\Закладки Łódź\\", "Мої закладки 😀.html"},
        // 259 UTF-16 units are the most the buffer holds beside the NUL.
        ChoiceCase{"LongestThatFits", HostCommonDialogs::Choose("C:\\" + Repeat("ж", 249) + "\\a.html"),
                   "C:\\" + Repeat("ж", 249) + "\\", "a.html"},
        // Nothing chosen: the folder exactly as it was, without "\".
        ChoiceCase{"OneTooLong", HostCommonDialogs::Choose("C:\\" + Repeat("😀", 128) + "a"), "C:\\Daten", ""},
        ChoiceCase{"Cancel", HostCommonDialogs::Cancel(), "C:\\Daten", ""}),
    [](const auto& param) { return std::string(param.param.name); });

}  // namespace
}  // namespace merkwandel::testing
