// The reading loop and the shortcut files it leads to, end to end through
// a conversion run on real folders.
#include "tests/conversion_fixture.h"

#include <algorithm>
#include <filesystem>

#include "conversion/bookmark_scanner.h"
#include "conversion/conversion_run.h"
#include "tests/allocation_limit.h"

namespace merkwandel::testing {
namespace {

using Files = std::map<std::string, std::string>;

std::string Shortcut(const std::string& url) { return "[InternetShortcut]\r\nURL=" + url + "\r\n"; }

class ScannerTest : public ConversionFixture {};

struct LineEndCase {
  const char* name;
  const char* eol;
};

class LineEndTest : public ConversionFixture, public ::testing::WithParamInterface<LineEndCase> {};

TEST_P(LineEndTest, EveryBookmarkIsWrittenOnce) {
  const Files written = Convert(ExportFile(
      {BookmarkLine("http://a.example/", "Erster"), BookmarkLine("http://b.example/", "Zweiter")},
      GetParam().eol));
  EXPECT_EQ(written, (Files{{"Erster.url", Shortcut("http://a.example/")},
                            {"Zweiter.url", Shortcut("http://b.example/")}}));
}

INSTANTIATE_TEST_SUITE_P(Eols, LineEndTest,
                         ::testing::Values(LineEndCase{"Lf", "\n"}, LineEndCase{"CrLf", "\r\n"},
                                           LineEndCase{"Cr", "\r"}, LineEndCase{"LfCr", "\n\r"}),
                         [](const auto& param) { return std::string(param.param.name); });

TEST_F(ScannerTest, EmptyLinesBetweenCrLfAndLfCount) {
  // CR LF is one line end; LF LF and CR CR are two each.
  const Files written = Convert("<A HREF=\"http://a/\">A</A>\r\n\n\r\r<A HREF=\"http://b/\">B</A>\n\n");
  EXPECT_EQ(written.size(), 2u);
}

TEST_F(ScannerTest, TheFirstLinesAndTheLastLineCount) {
  // A bookmark on the first line, and one on a last line without line end.
  const Files written = Convert(BookmarkLine("http://first/", "Anfang") + "\n" +
                                BookmarkLine("http://last/", "Ende"));
  EXPECT_EQ(written, (Files{{"Anfang.url", Shortcut("http://first/")}, {"Ende.url", Shortcut("http://last/")}}));
}

TEST_F(ScannerTest, SeveralBookmarksOnOneLineAreAllWritten) {
  const std::string line = "<DT><A HREF=\"http://1/\">Eins</A><DT><A HREF=\"http://2/\">Zwei</A>"
                           "<DT><a href=\"http://3/\">Drei</a>";
  // In the middle of a file and on its last line.
  EXPECT_EQ(Convert(line + "\n<P>\n").size(), 3u);
  EXPECT_EQ(Convert(line).size(), 3u);
}

TEST_F(ScannerTest, ATagSplitOverTwoLinesIsJoinedWithoutSeparator) {
  const Files written = Convert("<DT><A HREF=\"http://a/\"\nADD_DATE=\"1\">Zusammen\ngesetzt</A>\n");
  EXPECT_EQ(written, (Files{{"Zusammengesetzt.url", Shortcut("http://a/")}}));
}

TEST_F(ScannerTest, AnEndTagWithoutStartTagClosesNothing) {
  const Files written = Convert("<H3>Ordner</A>\n" + BookmarkLine("http://a/", "Danach") + "\n");
  EXPECT_EQ(written, (Files{{"Danach.url", Shortcut("http://a/")}}));
}

TEST_F(ScannerTest, AnUnclosedTagDoesNotSwallowTheNextBookmark) {
  const Files written = Convert("<DT><A HREF=\"http://kaputt/\">ohne Ende\n" +
                                BookmarkLine("http://a/", "Richtig") + "\n");
  EXPECT_EQ(written, (Files{{"Richtig.url", Shortcut("http://a/")}}));
}

TEST_F(ScannerTest, LongEntriesAndManyLinesHaveNoLimit) {
  std::vector<std::string> entries;
  // An inline favicon makes a line far longer than 32767 characters.
  entries.push_back("        <DT><A HREF=\"http://icon/\" ICON=\"data:image/png;base64," +
                    std::string(70000, 'Q') + "\">Mit Symbol</A>");
  for (int i = 0; i < 40000; ++i) entries.push_back("<DD>Beschreibung");
  entries.push_back(BookmarkLine("http://late/", "Zeile 40000"));
  const Files written = Convert(ExportFile(entries));
  EXPECT_EQ(written, (Files{{"Mit Symbol.url", Shortcut("http://icon/")},
                            {"Zeile 40000.url", Shortcut("http://late/")}}));
}

struct TitleCase {
  const char* name;
  std::string title;  // as it stands in the bookmark file
  std::string file;   // the shortcut's name on disk
};
void PrintTo(const TitleCase& c, std::ostream* os) { *os << c.name; }

class TitleTest : public ConversionFixture, public ::testing::WithParamInterface<TitleCase> {};

TEST_P(TitleTest, NamesTheShortcutInAnyScript) {
  EXPECT_EQ(Convert(ExportFile({BookmarkLine("http://a.example/", GetParam().title)})),
            (Files{{GetParam().file, Shortcut("http://a.example/")}}));
}

INSTANTIATE_TEST_SUITE_P(
    Titles, TitleTest,
    ::testing::Values(
        TitleCase{"German", "Größe &amp; Ärger", "Größe & Ärger.url"},
        TitleCase{"Ukrainian", "Твіттер. Все, що актуально.", "Твіттер. Все, що актуально..url"},
        TitleCase{"Greek", "Ελληνικά: Ειδήσεις | Καιρός", "Ελληνικά Ειδήσεις  Καιρός.url"},
        TitleCase{"Polish", "Zażółć gęślą jaźń – Łódź", "Zażółć gęślą jaźń – Łódź.url"},
        TitleCase{"Turkish", "İstanbul’da ılık hava: Ağaçlar", "İstanbul’da ılık hava Ağaçlar.url"},
        TitleCase{"Hebrew", "חדשות ישראל ⇒ ▶", "חדשות ישראל ⇒ ▶.url"},
        TitleCase{"Cjk", "新闻 / ニュース / 뉴스", "新闻 - ニュース - 뉴스.url"},
        // 49 characters are kept, an emoji counts as one and is never cut.
        TitleCase{"EmojiAs49thCharacter", "😀😀😀😀😀😀😀😀😀😀" + std::string(38, 'x') + "🎉 und mehr",
                  "😀😀😀😀😀😀😀😀😀😀" + std::string(38, 'x') + "🎉.url"},
        TitleCase{"CutInCyrillic", "Укрзалізниця: Купівля квитків на потяги онлайн — офіційний сайт",
                  "Укрзалізниця Купівля квитків на потяги онлайн — о.url"},
        // A right-to-left override would show "Rechnung exe.pdf".
        TitleCase{"BidirectionalControls", "Rechnung \u202Efdp.exe \u2067שלום\u2069", "Rechnung fdp.exe שלום.url"},
        // C1 controls in UTF-8, and the bytes Windows-1252 leaves undefined.
        TitleCase{"C1Controls", "Zeile\u0085Ende\u009B \x81\x8D\x8F\x90\x9Dx", "ZeileEnde x.url"},
        TitleCase{"NumericReferences", "&#1058;&#1074;&#x456;&#x442;&#x442;&#x435;&#x440; &#x1F600; &#x5E9;",
                  "Твіттер 😀 ש.url"},
        // A file saved in the ANSI code page.
        TitleCase{"BytesThatAreNotUtf8", "M\xFCller \x96 Stra\xDF" "e \x80 \x84x\x93", "Müller – Straße € „x“.url"}),
    [](const auto& param) { return std::string(param.param.name); });

TEST_F(ScannerTest, UrlLengthLimitAndLineEnds) {
  const std::string longest = "http://a/" + std::string(2083 - 9, 'x');
  // A line end in the URL would begin a line of its own in the file: left out.
  const Files written = Convert(ExportFile({BookmarkLine(longest, "Passt"),
                                            BookmarkLine(longest + "y", "Zu lang"),
                                            BookmarkLine("", "Leer"), BookmarkLine("http://b/", ""),
                                            BookmarkLine("http://c/&#13;&#10;IconFile=x", "Zeilen"),
                                            BookmarkLine("&#10;&#13;", "Nur Zeilenenden")}));
  EXPECT_EQ(written, (Files{{"Passt.url", Shortcut(longest)}, {"Zeilen.url", Shortcut("http://c/IconFile=x")}}));
}

TEST_F(ScannerTest, TheScanBufferCarriesOverToTheNextRun) {
  const std::size_t held = AllocationLimit::Held();
  Convert(ExportFile({BookmarkLine("http://a/", "A"), "<DT><A HREF=\"http://b/\" ICON=\"" + std::string(4 << 20, 'Q') +
                                                          "\">Mit Symbol</A>"}));
  // What can still begin a tag: a "<" too close to the end to tell. The
  // memory that the long entry took is given back.
  EXPECT_EQ(root_.tTemp.Text(), "</DL>");
  EXPECT_LT(AllocationLimit::Held(), held + (1 << 20));
  // A second run reads its file again from its first line.
  std::filesystem::remove_all(Host("Favoriten"));
  MakeHostFolder(Host("Favoriten"));
  EXPECT_EQ(Convert(ExportFile({BookmarkLine("http://a/", "A")})), (Files{{"A.url", Shortcut("http://a/")}}));
}

TEST_F(ScannerTest, ABookmarkSplitAtAnyPointIsJoinedAgain) {
  // Also inside "<A HREF" and "</a>": a marker is only told apart once all
  // of it has been read.
  const std::string line = "<DT><A HREF=\"http://a/\">Titel</a><DD>x";
  for (std::size_t k = 1; k < line.size(); ++k) {
    std::filesystem::remove_all(Host("Favoriten"));
    MakeHostFolder(Host("Favoriten"));
    root_.tTemp.Assign("");
    EXPECT_EQ(Convert(line.substr(0, k) + "\n" + line.substr(k) + "\n"),
              (Files{{"Titel.url", Shortcut("http://a/")}}))
        << "split at " << k;
  }
}

TEST_F(ScannerTest, AFileWithCrAloneIsReadWholeBeyondOneRead) {
  std::vector<std::string> entries;
  for (int i = 0; i < 1500; ++i) {
    entries.push_back(BookmarkLine("http://a.example/" + std::to_string(i), "Nr " + std::to_string(i)));
  }
  const Files written = Convert(ExportFile(entries, "\r"));
  EXPECT_EQ(written.size(), 1500u);
  EXPECT_EQ(written.at("Nr 1499.url"), Shortcut("http://a.example/1499"));
}

TEST_F(ScannerTest, AFileWithoutBookmarksWritesNothingAndReportsNothing) {
  EXPECT_TRUE(Convert(std::string(100000, 'x') + "\n\n<DL>\n").empty());
  EXPECT_TRUE(ui_.messages.empty());
  EXPECT_TRUE(ui_.startedProcesses.empty());
}

}  // namespace
}  // namespace merkwandel::testing

namespace merkwandel::testing {
namespace {

// A bookmark file in memory.
class MemoryFile : public platform::InputFile {
 public:
  explicit MemoryFile(std::string bytes) : bytes_(std::move(bytes)) {}
  std::ptrdiff_t Read(char* buffer, std::size_t capacity) override {
    const std::size_t n = std::min({capacity, bytes_.size() - at_, std::size_t{3}});  // small pieces
    std::copy_n(bytes_.data() + at_, n, buffer);
    at_ += n;
    return static_cast<std::ptrdiff_t>(n);
  }

 private:
  std::string bytes_;
  std::size_t at_ = 0;
};

struct CountCase {
  const char* bytes;
  std::uint64_t lineEnds;
  std::uint64_t shortcuts = 0;
};

class LineEndCountTest : public HostFixture, public ::testing::WithParamInterface<CountCase> {};

TEST_P(LineEndCountTest, CountsLineEndsPumpsAfterEachAndWritesTheBookmarks) {
  app::Root root(platform_);
  root.SetText(app::Field::tFavoriten, "C:\\");
  conversion::ShortcutWriter writer(root);
  conversion::BookmarkScanner scanner(root, writer);
  MemoryFile file(GetParam().bytes);
  EXPECT_EQ(scanner.ReadAll(file), conversion::BookmarkScanner::Outcome::kEndOfFile);
  EXPECT_EQ(scanner.LineEnds(), GetParam().lineEnds) << GetParam().bytes;
  EXPECT_EQ(ui_.pumps, GetParam().lineEnds);
  EXPECT_EQ(scanner.ShortcutsWritten(), GetParam().shortcuts);
}

INSTANTIATE_TEST_SUITE_P(Files, LineEndCountTest,
                         ::testing::Values(CountCase{"", 0}, CountCase{"a", 1}, CountCase{"a\r\nb\r\n", 2},
                                           CountCase{"a\r\n\r\nb", 3}, CountCase{"a\rb\rc\r", 3},
                                           CountCase{"a\nb\n", 2}, CountCase{"\n\n\n", 3},
                                           CountCase{"\r\r\n\n", 3}, CountCase{"a\n\rb", 3},
                                           // A "<" just before the last end tag, with nothing behind.
                                           CountCase{"<DT><A HREF=\"http://a.example/\">I <3</A>\n", 1, 1},
                                           CountCase{"<DT><A HREF=\"http://a.example/\">I <3</A>\n\n\n", 3, 1}));

}  // namespace
}  // namespace merkwandel::testing
