// The conversions at the edges of the program's UTF-8 and the upper case
// names are compared in.
#include "platform/common/unicode.h"

#include <gtest/gtest.h>
#include <iconv.h>

#include <string>

namespace merkwandel::unicode {
namespace {

using namespace std::string_literals;

// Every byte against glibc's own table of the code page.
TEST(Windows1252, EveryByteIsTheCharacterIconvGives) {
  const iconv_t cd = ::iconv_open("UTF-32LE", "CP1252");
  ASSERT_NE(cd, reinterpret_cast<iconv_t>(-1));
  for (int b = 0; b < 256; ++b) {
    char in = static_cast<char>(b);
    unsigned char out[4] = {};
    char* inPointer = &in;
    char* outPointer = reinterpret_cast<char*>(out);
    std::size_t inLeft = 1, outLeft = sizeof out;
    ::iconv(cd, nullptr, nullptr, nullptr, nullptr);
    if (::iconv(cd, &inPointer, &inLeft, &outPointer, &outLeft) == static_cast<std::size_t>(-1)) {
      // Left undefined by the code page: the C1 control of the same number.
      EXPECT_TRUE(b >= 0x80 && b <= 0x9F) << b;
      EXPECT_EQ(FromWindows1252(static_cast<unsigned char>(b)), static_cast<char32_t>(b)) << b;
      continue;
    }
    const char32_t expected = out[0] | (out[1] << 8) | (out[2] << 16) | (out[3] << 24);
    EXPECT_EQ(FromWindows1252(static_cast<unsigned char>(b)), expected) << b;
  }
  ::iconv_close(cd);
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
    ::testing::Values(Utf8Case{"ö", 0xF6, 2}, Utf8Case{"€", 0x20AC, 3}, Utf8Case{"😀", 0x1F600, 4},
                      // Overlong, surrogate, beyond U+10FFFF, cut short, bad trail byte, a trail byte alone.
                      Utf8Case{"\xC0\xB6", 0, 0}, Utf8Case{"\xE0\x80\xB6", 0, 0}, Utf8Case{"\xED\xA0\x80", 0, 0},
                      Utf8Case{"\xF4\x90\x80\x80", 0, 0}, Utf8Case{"\xC3", 0, 0}, Utf8Case{"\xC3\x28", 0, 0},
                      Utf8Case{"\x80", 0, 0}));

struct TextCase {
  const char* name;
  std::string (*convert)(std::string_view);
  std::string text;
  std::string expected;
};
void PrintTo(const TextCase& c, std::ostream* os) { *os << c.name; }

class TextTest : public ::testing::TestWithParam<TextCase> {};

TEST_P(TextTest, Converts) { EXPECT_EQ(GetParam().convert(GetParam().text), GetParam().expected); }

std::string ThroughUtf16(std::string_view text) { return FromUtf16(ToUtf16(text)); }

INSTANTIATE_TEST_SUITE_P(
    Texts, TextTest,
    ::testing::Values(
        // Valid UTF-8 stays; every other byte is its Windows-1252 character.
        TextCase{"RepairKeepsUtf8", RepairUtf8, "Твіттер 😀", "Твіттер 😀"},
        TextCase{"RepairReadsAnsiBytes", RepairUtf8, "Gr\xFC\xDF" "e \x80\x81", "Grüße €\u0081"},
        TextCase{"RepairCutSequence", RepairUtf8, "\xE2\x82" "ü", "â‚ü"},
        // Characters outside the Basic Multilingual Plane take a surrogate
        // pair and come back whole; broken bytes become U+FFFD.
        TextCase{"Utf16RoundTrip", ThroughUtf16, "Łódź ✓ 𝄞 😀", "Łódź ✓ 𝄞 😀"},
        TextCase{"Utf16BrokenBytes", ThroughUtf16, "a\xC3" "b\xFF", "a\uFFFD" "b\uFFFD"},
        // Upper case in every script, one character for one.
        TextCase{"UpperCyrillic", UpperCaseKey, "Твіттер ґ", "ТВІТТЕР Ґ"},
        TextCase{"UpperGreek", UpperCaseKey, "αβγ ς ά", "ΑΒΓ Σ Ά"},
        TextCase{"UpperLatin", UpperCaseKey, "ąęłż ı i ǆ ÿ", "ĄĘŁŻ I I Ǆ Ÿ"},
        // No single upper-case letter, no case, or beyond the plane: kept.
        TextCase{"UpperKept", UpperCaseKey, "ß ა 中 𐐨 \xFF", "ß ა 中 𐐨 \xFF"}),
    [](const auto& param) { return std::string(param.param.name); });

TEST(Utf16, SurrogatesAndTheirCount) {
  EXPECT_EQ(ToUtf16("Ж😀"), u"Ж\xD83D\xDE00");
  EXPECT_EQ(Utf16Length("Ж😀"), 3u);
  EXPECT_EQ(Utf16Length("a\xFF"), 2u);
  EXPECT_EQ(FromUtf16(u"\xDE00x\xD83D"), "\uFFFDx\uFFFD");  // unpaired
}

}  // namespace
}  // namespace merkwandel::unicode
