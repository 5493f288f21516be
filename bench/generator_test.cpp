// The generated bookmark files: their shapes, and that converting them gives
// exactly the shortcuts listed with them.
#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>

#include "bench/bookmark_generator.h"
#include "conversion/conversion_run.h"
#include "tests/conversion_fixture.h"

namespace merkwandel::testing {
namespace {

using bench::Browser;
using bench::ExpectedShortcut;

struct Generated {
  std::string file;
  std::vector<ExpectedShortcut> shortcuts;
};

Generated Export(Browser browser, std::size_t count, std::uint64_t seed = 1) {
  std::ostringstream out;
  auto shortcuts = bench::WriteExport(out, browser, count, seed);
  return {out.str(), std::move(shortcuts)};
}

std::map<std::string, std::string> AsFiles(const std::vector<ExpectedShortcut>& shortcuts) {
  std::map<std::string, std::string> files;
  for (const auto& shortcut : shortcuts) files[shortcut.name + ".url"] = bench::ShortcutBytes(shortcut.url);
  return files;
}

std::vector<std::string> Lines(const std::string& file) {
  std::vector<std::string> lines;
  std::istringstream in(file);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

// 1-based number of the first line holding a bookmark.
std::size_t FirstBookmarkLine(const std::string& file) {
  const auto lines = Lines(file);
  const auto it = std::find_if(lines.begin(), lines.end(),
                               [](const std::string& line) { return line.find("<A HREF") != std::string::npos; });
  return static_cast<std::size_t>(it - lines.begin()) + 1;
}

std::size_t Occurrences(const std::string& text, const std::string& piece) {
  std::size_t count = 0;
  for (auto at = text.find(piece); at != std::string::npos; at = text.find(piece, at + 1)) ++count;
  return count;
}

class GeneratedExportTest : public ConversionFixture, public ::testing::WithParamInterface<Browser> {};

TEST_P(GeneratedExportTest, ConvertsIntoExactlyTheListedShortcuts) {
  const Generated generated = Export(GetParam(), 1000);
  ASSERT_EQ(generated.shortcuts.size(), 1000u);
  EXPECT_EQ(Convert(generated.file), AsFiles(generated.shortcuts));
  ASSERT_FALSE(ui_.messages.empty());
  EXPECT_EQ(ui_.messages.back().text, conversion::ReportText(1000));
}

INSTANTIATE_TEST_SUITE_P(Browsers, GeneratedExportTest, ::testing::Values(Browser::kFirefox, Browser::kChrome),
                         [](const auto& param) { return param.param == Browser::kFirefox ? "Firefox" : "Chrome"; });

TEST(GeneratedShapeTest, FirefoxWritesLfWithIconsAndEscapedUtf8Titles) {
  const std::string file = Export(Browser::kFirefox, 300).file;
  EXPECT_EQ(file.find('\r'), std::string::npos);
  EXPECT_NE(file.find("<meta http-equiv=\"Content-Security-Policy\""), std::string::npos);
  const std::size_t first = FirstBookmarkLine(file);
  EXPECT_GE(first, 12u);
  EXPECT_LE(first, 14u);
  EXPECT_NE(file.find("<DT><H3 "), std::string::npos);
  EXPECT_NE(file.find(" ICON=\"data:image/png;base64,iVBORw0KGgo"), std::string::npos);
  EXPECT_NE(file.find("&amp;"), std::string::npos);
  EXPECT_NE(file.find("\xC3\xBC"), std::string::npos);  // ü
  EXPECT_EQ(Occurrences(file, "</A>"), 300u);
}

TEST(GeneratedShapeTest, ChromeWritesCrLfAndItsFirstBookmarkOnLineEleven) {
  const std::string file = Export(Browser::kChrome, 300).file;
  EXPECT_EQ(Occurrences(file, "\n"), Occurrences(file, "\r\n"));
  EXPECT_EQ(Occurrences(file, "\r"), Occurrences(file, "\r\n"));
  EXPECT_EQ(FirstBookmarkLine(file), 11u);
  EXPECT_EQ(file.find("Content-Security-Policy"), std::string::npos);
  EXPECT_EQ(Occurrences(file, "</A>"), 300u);
}

TEST(GeneratedShapeTest, TheSeedAloneDecidesTheFile) {
  EXPECT_EQ(Export(Browser::kFirefox, 200, 5).file, Export(Browser::kFirefox, 200, 5).file);
  EXPECT_NE(Export(Browser::kFirefox, 200, 5).file, Export(Browser::kFirefox, 200, 6).file);
}

class HostileFileTest : public ConversionFixture {};

TEST_F(HostileFileTest, ALongDescriptionHoldsNoEndTagAndLosesNoBookmark) {
  std::ostringstream out;
  const auto shortcuts = bench::WriteLongDescription(out, 300000, 3);
  const std::string file = out.str();
  ASSERT_GE(file.size(), 300000u);
  ASSERT_EQ(shortcuts.size(), 21u);
  // Only the 21 bookmarks end a tag; the block between the eleventh and the
  // twelfth has none, however it is written.
  std::string lower = file;
  std::transform(lower.begin(), lower.end(), lower.begin(), [](unsigned char c) { return std::tolower(c); });
  EXPECT_EQ(Occurrences(lower, "</a>"), 21u);
  EXPECT_GT(Lines(file).size(), 2000u);
  EXPECT_EQ(Convert(file), AsFiles(shortcuts));
}

TEST_F(HostileFileTest, AHugeFaviconStaysOnOneLineAndLosesNoBookmark) {
  std::ostringstream out;
  const auto shortcuts = bench::WriteHugeFavicon(out, 200000, 3);
  const std::string file = out.str();
  const auto lines = Lines(file);
  EXPECT_TRUE(std::any_of(lines.begin(), lines.end(), [](const std::string& line) { return line.size() > 200000; }));
  EXPECT_EQ(Convert(file), AsFiles(shortcuts));
}

TEST(ManifestTest, ReadsBackWhatWasWrittenAndRefusesLinesWithoutName) {
  const std::vector<ExpectedShortcut> shortcuts = {{"B\xC3\xBC" "cher 1", "https://a.example/?x=1&y=2"},
                                                   {"Zweiter", "http://b.example/"}};
  std::stringstream text;
  bench::WriteManifest(text, shortcuts);
  EXPECT_EQ(bench::ReadManifest(text), shortcuts);

  for (const char* bad : {"ohne Tabulator\n", "\thttp://a/\n"}) {
    std::istringstream in(bad);
    EXPECT_FALSE(bench::ReadManifest(in).has_value()) << bad;
  }
}

}  // namespace
}  // namespace merkwandel::testing
