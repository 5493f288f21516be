// The Windows name rules the conversion's shortcut names and the file
// searches follow: forbidden characters, device names, letter case in every
// script, search patterns.
#include "platform/common/windows_path.h"

#include <gtest/gtest.h>

namespace merkwandel::winpath {
namespace {

TEST(NameRules, ForbiddenCharacters) {
  for (unsigned char c : std::string("<>:\"/\\|?*")) EXPECT_TRUE(IsForbiddenInName(c)) << c;
  for (unsigned c = 0; c < 32; ++c) EXPECT_TRUE(IsForbiddenInName(static_cast<unsigned char>(c))) << c;
  for (unsigned char c : std::string("aZ09 .-_&'()[]{}!#$%+,;=@^`~äß€Ж😀\x7F")) {
    EXPECT_FALSE(IsForbiddenInName(c)) << c;
  }
  EXPECT_FALSE(IsValidName(""));
  EXPECT_TRUE(IsValidName("Bücher.url"));
  EXPECT_FALSE(IsValidName("a:b"));
}

TEST(NameRules, ReservedDeviceNames) {
  for (const char* name : {"CON", "con", "Prn", "AUX", "nul", "NUL.txt", "nul .url", "COM1",
                           "com0", "LPT9", "lpt1.anything.url", "COM¹", "LPT²", "lpt³ .url", "CON \x2Eurl"}) {
    EXPECT_TRUE(IsReservedDeviceName(name)) << name;
  }
  for (const char* name : {"", "CONS", "CO", "xCON", "COM", "COM10", "LPTX", "_CON", "NULL.url",
                           "CON-Info", " CON", "COM⁴", "COMé", "LPT¹²", "COM\xB9"}) {
    EXPECT_FALSE(IsReservedDeviceName(name)) << name;
  }
}

TEST(NameRules, LetterCaseInEveryScript) {
  EXPECT_TRUE(NamesEqual("Bücher.URL", "BÜCHER.url"));
  EXPECT_TRUE(NamesEqual("Ελλάδα Łódź", "ΕΛΛΆΔΑ ŁÓDŹ"));
  EXPECT_FALSE(NamesEqual("÷", "×"));  // no letters
  EXPECT_FALSE(NamesEqual("a", "ab"));
}

struct PatternCase {
  const char* pattern;
  const char* name;
  bool matches;
};

class PatternTest : public ::testing::TestWithParam<PatternCase> {};

TEST_P(PatternTest, Matches) {
  const auto& c = GetParam();
  EXPECT_EQ(MatchesPattern(c.pattern, c.name), c.matches) << c.pattern << " / " << c.name;
}

INSTANTIATE_TEST_SUITE_P(
    Patterns, PatternTest,
    ::testing::Values(PatternCase{"*.html", "bookmarks.html", true}, PatternCase{"*.html", "BOOKMARKS.HTML", true},
                      PatternCase{"*.html", "bookmarks.htm", false}, PatternCase{"*.*", "noextension", true},
                      PatternCase{"*", "", true}, PatternCase{"b?ok*", "book.html", true},
                      PatternCase{"b?ok*", "bk", false}, PatternCase{"*a*b*c", "xxaxxbxxc", true},
                      PatternCase{"*a*b*c", "xxaxxcxxb", false}, PatternCase{"a", "ab", false},
                      // "?" is one character, whatever its length in UTF-8.
                      PatternCase{"b?cher.*", "Bücher.url", true}, PatternCase{"b??cher.*", "Bücher.url", false},
                      PatternCase{"a?b", "a😀b", true}, PatternCase{"*.ÄRGER", "x.ärger", true},
                      PatternCase{"Ж*", "жук", true}));

TEST(PatternTest, LongHostileNameStaysFast) {
  const std::string name(20000, 'a');
  EXPECT_FALSE(MatchesPattern("*a*a*a*a*a*a*a*b", name));
}

}  // namespace
}  // namespace merkwandel::winpath
