#include "platform/common/ansi.h"

#include <gtest/gtest.h>

namespace merkwandel::ansi {
namespace {

TEST(Ansi, EveryByteSurvivesTheWayToUtf8AndBack) {
  std::string all;
  for (int b = 1; b < 256; ++b) all.push_back(static_cast<char>(b));
  EXPECT_EQ(FromUtf8(ToUtf8(all)), all);
}

TEST(Ansi, ConvertsTheCharactersOfTheHighRange) {
  EXPECT_EQ(ToUtf8("\x80"), "\xE2\x82\xAC");        // €
  EXPECT_EQ(ToUtf8("\xE4\xDF"), "\xC3\xA4\xC3\x9F");  // äß
  EXPECT_EQ(FromUtf8("\xE2\x80\x93"), "\x96");      // en dash
  EXPECT_EQ(FromUnicode(0x20AC), 0x80);
  EXPECT_EQ(FromUnicode(0x0081), 0x81);  // undefined byte, kept as its control character
  EXPECT_FALSE(FromUnicode(0x0100).has_value());
  EXPECT_FALSE(FromUnicode(0x4E2D).has_value());
}

TEST(Ansi, ReplacesWhatTheCodePageLacksAndBrokenUtf8) {
  EXPECT_EQ(FromUtf8("a\xE4\xB8\xAD" "b"), "a?b");  // a CJK character
  EXPECT_EQ(FromUtf8("a\xC3" "b"), "a?b");          // a lead byte without trail
  EXPECT_EQ(FromUtf8("\xFF"), "?");
}

struct Utf8Case {
  const char* bytes;
  char32_t codePoint;  // 0: not a valid sequence
  std::size_t length;
};

class DecodeUtf8Test : public ::testing::TestWithParam<Utf8Case> {};

TEST_P(DecodeUtf8Test, DecodesOnlyValidShortestForms) {
  const auto& c = GetParam();
  const auto sequence = DecodeUtf8(c.bytes);
  if (c.codePoint == 0) {
    EXPECT_FALSE(sequence.has_value());
    return;
  }
  ASSERT_TRUE(sequence.has_value());
  EXPECT_EQ(sequence->codePoint, c.codePoint);
  EXPECT_EQ(sequence->length, c.length);
}

INSTANTIATE_TEST_SUITE_P(
    Sequences, DecodeUtf8Test,
    ::testing::Values(Utf8Case{"\xC3\xB6", 0xF6, 2}, Utf8Case{"\xE2\x82\xAC", 0x20AC, 3},
                      Utf8Case{"\xF0\x9F\x98\x80", 0x1F600, 4},
                      Utf8Case{"\xC0\xB6", 0, 0},          // overlong
                      Utf8Case{"\xE0\x80\xB6", 0, 0},      // overlong
                      Utf8Case{"\xED\xA0\x80", 0, 0},      // surrogate
                      Utf8Case{"\xF4\x90\x80\x80", 0, 0},  // beyond U+10FFFF
                      Utf8Case{"\xC3", 0, 0},              // cut short
                      Utf8Case{"\xC3\x28", 0, 0},          // bad trail byte
                      Utf8Case{"\x80", 0, 0}));

TEST(Ansi, UpperCase) {
  EXPECT_EQ(ToUpper('a'), 'A');
  EXPECT_EQ(ToUpper(0xE4), 0xC4);
  EXPECT_EQ(ToUpper(0xFF), 0x9F);
  EXPECT_EQ(ToUpper(0xF7), 0xF7);
  EXPECT_EQ(ToUpper(0xDF), 0xDF);  // ß has no single upper-case letter
  EXPECT_EQ(ToUpper('1'), '1');
}

}  // namespace
}  // namespace merkwandel::ansi
