// What one bookmark entry yields: URL, title text and shortcut name.
#include "conversion/bookmark_entry.h"

#include <gtest/gtest.h>

#include "platform/host/host_platform.h"

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
        EntryCase{R"(A HREF="http://i.example/?a=1&amp;b=2">I)", "http://i.example/?a=1&amp;b=2", "I"},
        EntryCase{R"(A HREF="">leer)", "", "leer"},
        EntryCase{R"(A HREF="http://j.example/" TITLE="a > b">J > K)", "http://j.example/", "J > K"},
        // Malformed: the tag or the value never closes, or HREF has no value.
        EntryCase{R"(A HREF="http://k.example/ ADD_DATE=1>K)", "", ""},
        EntryCase{R"(A HREF="http://l.example/")", "", ""},
        EntryCase{R"(A HREF>M)", "", ""}));

struct TitleCase {
  const char* raw;
  const char* decoded;  // ANSI
};

class DecodeTitleTest : public ::testing::TestWithParam<TitleCase> {};

TEST_P(DecodeTitleTest, GivesAnsiText) {
  platform::host::HostEncoding encoding;
  EXPECT_EQ(DecodeTitle(GetParam().raw, encoding), GetParam().decoded) << GetParam().raw;
}

INSTANTIATE_TEST_SUITE_P(
    Titles, DecodeTitleTest,
    ::testing::Values(
        TitleCase{"B\xC3\xBC" "cher", "B\xFC" "cher"},
        // Every occurrence, capitals and sharp s too.
        TitleCase{"Gr\xC3\xB6\xC3\x9F" "e, gr\xC3\xB6\xC3\x9F" "er, \xC3\x84rger",
                  "Gr\xF6\xDF" "e, gr\xF6\xDF" "er, \xC4rger"},
        // Characters of the 0x80 range: en dash, euro sign, quotes.
        TitleCase{"Audi.com \xE2\x80\x93 \xE2\x82\xAC \xE2\x80\x9Ex\xE2\x80\x9C",
                  "Audi.com \x96 \x80 \x84x\x93"},
        // Characters the code page lacks stay as they arrived.
        TitleCase{"\xE4\xB8\xAD\xE6\x96\x87 \xF0\x9F\x98\x80", "\xE4\xB8\xAD\xE6\x96\x87 \xF0\x9F\x98\x80"},
        // Bytes that are no UTF-8 stay (a file in the ANSI code page).
        TitleCase{"M\xFCller", "M\xFCller"},
        TitleCase{"Cars &amp; Trucks &lt;b&gt; &quot;x&quot; it&#39;s &apos;y&apos;",
                  "Cars & Trucks <b> \"x\" it's 'y'"},
        TitleCase{"&#252;ber &#xFC;ber &#XDC; &#8364;", "\xFC" "ber \xFC" "ber \xDC \x80"},
        // Decoded once only: "&amp;lt;" is the text "&lt;".
        TitleCase{"&amp;lt; &amp;#252;", "&lt; &#252;"},
        // Unknown, unterminated or unmappable references stay.
        TitleCase{"&nbsp; &amp &#x4E2D; &#; &#xZZ; &", "&nbsp; &amp &#x4E2D; &#; &#xZZ; &"},
        // References and UTF-8 side by side, without blanks between them.
        TitleCase{"&#252;\xC3\xBC&amp;\xE2\x82\xAC&lt;", "\xFC\xFC&\x80<"},
        TitleCase{"&\xC3\xBC\xE4\xB8\xAD&amp;\xE4\xB8\xAD", "&\xFC\xE4\xB8\xAD&\xE4\xB8\xAD"},
        // A UTF-8 character inside a reference ends it: the reference stays.
        TitleCase{"&#25\xC3\xBC; &am\xC3\xBCp; &\xC3\xBC#252;", "&#25\xFC; &am\xFCp; &\xFC#252;"},
        // A sequence cut short by a reference: its bytes stay, the reference is decoded.
        TitleCase{"\xC3&amp;\xE2\x82&#8364;", "\xC3&\xE2\x82\x80"}));

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
        NameCase{"..\\..\\Startmen\xFC\\Programme\\Autostart\\x", "..-..-Startmen\xFC-Programme-Autostart-x"},
        NameCase{"a/b", "a-b"}, NameCase{"C:", "C"}, NameCase{"..", ".."},
        NameCase{"Audi.com | audi.com: \"Vorsprung\" <x>?*", "Audi.com  audi.com Vorsprung x"},
        NameCase{std::string("Tab\tNeu\nNull\0Ende", 18), "TabNeuNullEnde"},
        NameCase{"CON", "_CON"}, NameCase{"nul.txt", "_nul.txt"}, NameCase{"COM1", "_COM1"},
        NameCase{"Lpt\xB9", "_Lpt\xB9"}, NameCase{"CON .x", "_CON .x"}, NameCase{"CONSOLE", "CONSOLE"},
        NameCase{"Con:", "_Con"},  // a device name only once ":" is gone
        NameCase{std::string(49, 'a'), std::string(49, 'a')},
        NameCase{std::string(50, 'a'), std::string(49, 'a')},
        NameCase{std::string(60, '?') + "kurz", "kurz"},
        NameCase{"", ""}, NameCase{"???", ""}));

TEST(ShortcutContentTest, TwoLinesEachEndedByCrLf) {
  EXPECT_EQ(ShortcutContent("http://a.example/"), "[InternetShortcut]\r\nURL=http://a.example/\r\n");
}

}  // namespace
}  // namespace merkwandel::conversion
