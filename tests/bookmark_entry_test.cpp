// What one bookmark entry yields: URL, title text and shortcut name.
#include "conversion/bookmark_entry.h"

#include <gtest/gtest.h>

namespace merkwandel::conversion {
namespace {

struct EntryCase {
  const char* entry;  // from "A HREF" to right before "</A>"
  const char* url;
  const char* title;
};

class ReadEntryTest : public ::testing::TestWithParam<EntryCase> {};

TEST_P(ReadEntryTest, TakesHrefAndTheTextBehindTheTag) {
  const auto& c = GetParam();
  const EntryParts parts = ReadEntry(c.entry);
  EXPECT_EQ(parts.url, c.url) << c.entry;
  EXPECT_EQ(parts.title, c.title) << c.entry;
}

INSTANTIATE_TEST_SUITE_P(
    Entries, ReadEntryTest,
    ::testing::Values(
        // Firefox 3 and later: dates behind the URL, an inline favicon.
        EntryCase{R"(A HREF="https://a.example/x?add_date=1&y" ADD_DATE="1" ICON="data:image/png;base64,iVBO>RK">Titel)",
                  "https://a.example/x?add_date=1&y", "Titel"},
        // LAST_MODIFIED before ADD_DATE must not stay in the URL.
        EntryCase{R"(A HREF="http://b.example/" LAST_MODIFIED="2" ADD_DATE="1">B)", "http://b.example/", "B"},
        // Firefox 2: an rdf ID of five characters.
        EntryCase{R"(A HREF="http://c.example/" ADD_DATE="1" ID="rdf:#$HvPhC">C)", "http://c.example/", "C"},
        // Safari and hand-written files: nothing behind HREF.
        EntryCase{R"(A HREF="https://github.com/">GitHub)", "https://github.com/", "GitHub"},
        // IE 11: a blank before ">".
        EntryCase{R"(A HREF="http://d.example/" ICON_URI="http://d.example/f.ico" >D)", "http://d.example/", "D"},
        EntryCase{R"(a href='http://e.example/"q"'>E)", "http://e.example/\"q\"", "E"},
        EntryCase{R"(A HREF=http://f.example/?a=1 ADD_DATE=2>F)", "http://f.example/?a=1", "F"},
        EntryCase{R"(A HREF=http://g.example/>G)", "http://g.example/", "G"},
        EntryCase{R"(A HREF = "http://h.example/" >H)", "http://h.example/", "H"},
        // References in the value are decoded once, as in titles; other bytes stay as they are.
        // The first HREF counts; a tab separates attributes as a blank does.
        EntryCase{R"(A HREF="http://erst.example/" HREF="http://dann.example/">T)", "http://erst.example/", "T"},
        EntryCase{"A HREF=http://t.example/\tADD_DATE=1\t>T", "http://t.example/", "T"},
        EntryCase{"A HREF=\"http://i.example/?a=1&amp;b=2&c&#39;&amp;lt;\xFC\">I",
                  "http://i.example/?a=1&b=2&c'&lt;\xFC", "I"},
        EntryCase{R"(A HREF="">leer)", "", "leer"},
        EntryCase{R"(A HREF="http://j.example/" TITLE="a > b">J > K)", "http://j.example/", "J > K"},
        // Malformed: the tag or the value never closes, or HREF has no value.
        EntryCase{R"(A HREF="http://k.example/ ADD_DATE=1>K)", "", ""},
        EntryCase{R"(A HREF="http://l.example/")", "", ""},
        EntryCase{R"(A HREF>M)", "", ""}));

struct TitleCase {
  const char* raw;
  const char* decoded;
};

class DecodeTitleTest : public ::testing::TestWithParam<TitleCase> {};

TEST_P(DecodeTitleTest, DecodesReferencesOnce) {
  EXPECT_EQ(DecodeTitle(GetParam().raw), GetParam().decoded) << GetParam().raw;
}

INSTANTIATE_TEST_SUITE_P(
    Titles, DecodeTitleTest,
    ::testing::Values(
        TitleCase{"Cars &amp; Trucks &lt;b&gt; &quot;x&quot; it&#39;s &apos;y&apos;",
                  "Cars & Trucks <b> \"x\" it's 'y'"},
        TitleCase{"&#252;ber &#xFC;ber &#XDC; &#8364; &#x4E2D;", "über über Ü € 中"},
        // 0, surrogates and values beyond Unicode stay as written.
        TitleCase{"&#0; &#xD800; &#57343; &#x110000; &#x10FFFF;", "&#0; &#xD800; &#57343; &#x110000; \U0010FFFF"},
        // 128 to 159 are the Windows-1252 characters of those bytes; the five it leaves out stay controls.
        TitleCase{"&#150;&#x80;&#159;&#129;", "–€Ÿ\u0081"},
        // Decoded once only: "&amp;lt;" is the text "&lt;".
        TitleCase{"&amp;lt; &amp;#252;", "&lt; &#252;"},
        // Unknown or unterminated references stay.
        TitleCase{"&nbsp; &amp &#; &#xZZ; &#123456789; &", "&nbsp; &amp &#; &#xZZ; &#123456789; &"},
        // References, UTF-8 and bytes of another code page side by side.
        TitleCase{"&#252;ü&amp;€&lt;", "üü&€<"},
        TitleCase{"&ü中&amp;中", "&ü中&中"},
        // A UTF-8 character inside a reference ends it: the reference stays.
        TitleCase{"&#25ü; &amüp; &ü#252;", "&#25ü; &amüp; &ü#252;"},
        // A sequence cut short by a reference: its bytes are Windows-1252
        // characters, the reference is decoded.
        TitleCase{"\xC3&amp;\xE2\x82&#8364;", "Ã&â‚€"}));

struct NameCase {
  std::string title;
  std::string name;
};

class ShortcutNameTest : public ::testing::TestWithParam<NameCase> {};

TEST_P(ShortcutNameTest, NamesAFileInsideTheFolder) {
  EXPECT_EQ(ShortcutName(GetParam().title), GetParam().name) << GetParam().title;
}

INSTANTIATE_TEST_SUITE_P(
    Names, ShortcutNameTest,
    ::testing::Values(
        NameCase{"..\\..\\Startmenü\\Programme\\Autostart\\x", "..-..-Startmenü-Programme-Autostart-x"},
        NameCase{"a/b", "a-b"}, NameCase{"C:", "C"}, NameCase{"..", ".."},
        NameCase{"Audi.com | audi.com: \"Vorsprung\" <x>?*", "Audi.com  audi.com Vorsprung x"},
        // White space as in HTML: each run one space, none at either end,
        // nor where removed characters left a blank at an end or the cut one.
        NameCase{std::string("\r\n  Tab\tNeu \f\n Null\0Ende \t", 26), "Tab Neu NullEnde"},
        NameCase{">>> Melbourne |", "Melbourne"}, NameCase{std::string(48, 'a') + " b", std::string(48, 'a')},
        // DEL and the C1 controls go; the no-break space after them stays.
        NameCase{"a\x7F\u0080\u009F\u00A0b", "a\u00A0b"},
        // The bidirectional controls go; the separators around them stay.
        NameCase{"a\u2029\u202A\u202Eb\u2066\u2069\u206Ac", "a\u2029b\u206Ac"},
        NameCase{"nul.txt", "_nul.txt"}, NameCase{"Con:", "_Con"},  // a device name only once ":" is gone
        NameCase{std::string(49, 'a'), std::string(49, 'a')},
        NameCase{std::string(50, 'a'), std::string(49, 'a')},
        // 49 characters, whatever their length in UTF-8; an emoji is one, never cut.
        NameCase{"😀😀😀😀😀😀😀😀😀😀" + std::string(38, 'x') + "🎉 und mehr", "😀😀😀😀😀😀😀😀😀😀" + std::string(38, 'x') + "🎉"},
        NameCase{"Укрзалізниця: Купівля квитків на потяги онлайн — офіційний сайт",
                 "Укрзалізниця Купівля квитків на потяги онлайн — о"},
        NameCase{std::string(60, '?') + "kurz", "kurz"},
        // A byte that is not UTF-8 is its Windows-1252 character.
        NameCase{"M\xFCller", "Müller"},
        NameCase{"", ""}, NameCase{"???", ""}));

}  // namespace
}  // namespace merkwandel::conversion
