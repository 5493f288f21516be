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

struct FileCase {
  const char* name;
  std::string bytes;  // the bookmark file
  Files written;      // the target folder afterwards
  friend void PrintTo(const FileCase& c, std::ostream* os) { *os << c.name; }
};

class BookmarkFileTest : public ConversionFixture, public ::testing::WithParamInterface<FileCase> {};

// Again into the same folder: the same files, each replaced.
TEST_P(BookmarkFileTest, WritesTheShortcutsOfItsBookmarks) {
  EXPECT_EQ(Convert(GetParam().bytes), GetParam().written);
  EXPECT_EQ(Convert(GetParam().bytes), GetParam().written) << "converted again";
}

// An inline favicon far longer than 32767 characters, and a bookmark after
// 40000 lines.
std::string LongEntryAndManyLines() {
  std::vector<std::string> entries = {"<DT><A HREF=\"http://icon/\" ICON=\"data:image/png;base64," +
                                      std::string(70000, 'Q') + "\">Mit Symbol</A>"};
  entries.insert(entries.end(), 40000, "<DD>Beschreibung");
  entries.push_back(BookmarkLine("http://late/", "Zeile 40000"));
  return ExportFile(entries);
}

// Lines ended by CR alone, the last bookmark beyond the first 64 KiB read.
std::string CrAloneBeyondOneRead() {
  std::vector<std::string> entries = {BookmarkLine("http://a/", "Vorne")};
  entries.insert(entries.end(), 5000, "<DD>Beschreibung ohne Zeilenvorschub");
  entries.push_back(BookmarkLine("http://b/", "Hinten"));
  return ExportFile(entries, "\r");
}

std::string Times(std::size_t n, const std::string& text) {
  std::string all;
  while (n-- > 0) all += text;
  return all;
}
const std::string kLongest = "http://a/" + std::string(2083 - 9, 'x');
// 2083 UTF-16 units in 4157 bytes; 2084 units in 1047 characters.
const std::string kLongestCyrillic = "http://a/" + Times(2074, "ж");
const std::string kTooLongInUtf16 = "http://a/" + Times(1037, "😀") + "x";
const std::string kL49(49, 'L');
// Two URLs of one 64-bit FNV-1a digest, which a file's author can make.
const std::string kSameFnv1 = "https://example.org/57c68bb74a581fc5", kSameFnv2 = "https://example.org/981cbcd7c705043d";

INSTANTIATE_TEST_SUITE_P(
    Files, BookmarkFileTest,
    ::testing::Values(
        // On the first line, and on a last line without line end.
        FileCase{"FirstAndLastLine", BookmarkLine("http://first/", "Anfang") + "\n" + BookmarkLine("http://last/", "Ende"),
                 {{"Anfang.url", Shortcut("http://first/")}, {"Ende.url", Shortcut("http://last/")}}},
        FileCase{"SeveralOnOneLine",
                 "<DT><A HREF=\"http://1/\">Eins</A><DT><A HREF=\"http://2/\">Zwei</A><DT><a href=\"http://3/\">Drei</a>\n",
                 {{"Eins.url", Shortcut("http://1/")}, {"Zwei.url", Shortcut("http://2/")}, {"Drei.url", Shortcut("http://3/")}}},
        // A line end in a title is white space, as is the indentation.
        FileCase{"TagSplitOverLines", "<DT><A HREF=\"http://a/\"\nADD_DATE=\"1\">\r\n    Zusammen\r\ngesetzt\n</A>\n",
                 {{"Zusammen gesetzt.url", Shortcut("http://a/")}}},
        FileCase{"EndTagWithoutStartTag", "<H3>Ordner</A>\n" + BookmarkLine("http://a/", "Danach") + "\n",
                 {{"Danach.url", Shortcut("http://a/")}}},
        FileCase{"UnclosedTag", "<DT><A HREF=\"http://kaputt/\">ohne Ende\n" + BookmarkLine("http://a/", "Richtig") + "\n",
                 {{"Richtig.url", Shortcut("http://a/")}}},
        FileCase{"LongEntryAndManyLines", LongEntryAndManyLines(),
                 {{"Mit Symbol.url", Shortcut("http://icon/")}, {"Zeile 40000.url", Shortcut("http://late/")}}},
        FileCase{"CrAloneBeyondOneRead", CrAloneBeyondOneRead(),
                 {{"Vorne.url", Shortcut("http://a/")}, {"Hinten.url", Shortcut("http://b/")}}},
        // Up to 2083 characters (UTF-16 units), their bytes as they are;
        // control characters left out (a line end would begin a line of its
        // own in the file); no Firefox queries.
        FileCase{"UrlLengthAndControlCharacters",
                 ExportFile({BookmarkLine(kLongest, "Passt"), BookmarkLine(kLongest + "y", "Zu lang"),
                             BookmarkLine(kLongestCyrillic, "Kyrillisch"), BookmarkLine(kTooLongInUtf16, "Zu lang 2"),
                             BookmarkLine("", "Leer"), BookmarkLine("http://c/&#13;&#10;IconFile=x", "Zeilen"),
                             BookmarkLine("http://d/&#13;x" + std::string(1, '\0') + "y&#1;z&#127;", "Steuerzeichen"),
                             BookmarkLine("&#10;&#13;&#1;", "Nur Steuerzeichen"),
                             BookmarkLine("PLACE:sort=8&amp;maxResults=10", "Meistbesucht")}),
                 {{"Passt.url", Shortcut(kLongest)}, {"Kyrillisch.url", Shortcut(kLongestCyrillic)},
                  {"Zeilen.url", Shortcut("http://c/IconFile=x")},
                  {"Steuerzeichen.url", Shortcut("http://d/xyz")}}},
        // Named after the URL when the title gives no name.
        FileCase{"TitleGivesNoName",
                 ExportFile({BookmarkLine("https://example.org/a/b", ""), BookmarkLine("javascript:void(0)", "&lt;&gt;|"),
                             BookmarkLine("http://b/", " \t ")}),
                 {{"example.org-a-b.url", Shortcut("https://example.org/a/b")},
                  {"javascriptvoid(0).url", Shortcut("javascript:void(0)")}, {"b-.url", Shortcut("http://b/")}}},
        // A name this run wrote with another URL: the next free number,
        // behind the name as cut; the same bookmark again: the same file.
        FileCase{"NamesTakenInThisRun",
                 ExportFile({BookmarkLine("http://x/", "Home (2)"), BookmarkLine("http://a/", "Home"),
                             BookmarkLine("http://b/", "home"), BookmarkLine("http://a/", "Home"),
                             BookmarkLine("http://x/", "HOME"), BookmarkLine("http://c/", "Home"),
                             BookmarkLine("http://g/", "Αθήνα"), BookmarkLine("http://h/", "ΑΘΉΝΑ"),
                             BookmarkLine("http://1/", kL49 + " 1"), BookmarkLine("http://2/", kL49 + " 2"),
                             BookmarkLine(kSameFnv1, "FNV"), BookmarkLine(kSameFnv2, "FNV")}),
                 {{"Home (2).url", Shortcut("http://x/")}, {"Home.url", Shortcut("http://a/")},
                  {"home (3).url", Shortcut("http://b/")}, {"Home (4).url", Shortcut("http://c/")},
                  {"Αθήνα.url", Shortcut("http://g/")}, {"ΑΘΉΝΑ (2).url", Shortcut("http://h/")},
                  {kL49 + ".url", Shortcut("http://1/")}, {kL49 + " (2).url", Shortcut("http://2/")},
                  {"FNV.url", Shortcut(kSameFnv1)}, {"FNV (2).url", Shortcut(kSameFnv2)}}},
        // Titles: references decoded, characters a name can't hold left out,
        // any script kept, a file saved in the ANSI code page read as such.
        FileCase{"GermanTitle", ExportFile({BookmarkLine("http://a/", "Größe &amp; Ärger")}),
                 {{"Größe & Ärger.url", Shortcut("http://a/")}}},
        FileCase{"GreekTitle", ExportFile({BookmarkLine("http://a/", "Ελληνικά: Ειδήσεις | Καιρός")}),
                 {{"Ελληνικά Ειδήσεις  Καιρός.url", Shortcut("http://a/")}}},
        FileCase{"CjkTitle", ExportFile({BookmarkLine("http://a/", "新闻 / ニュース / 뉴스 😀")}),
                 {{"新闻 - ニュース - 뉴스 😀.url", Shortcut("http://a/")}}},
        FileCase{"TitleInTheAnsiCodePage",
                 ExportFile({BookmarkLine("http://a/", "M\xFCller \x96 Stra\xDF" "e \x80 \x84x\x93")}),
                 {{"Müller – Straße € „x“.url", Shortcut("http://a/")}}}),
    [](const auto& param) { return std::string(param.param.name); });

using ScannerTest = ConversionFixture;

TEST_F(ScannerTest, ABookmarkSplitAtAnyPointIsJoinedAgain) {
  // Also inside "<A HREF" and "</a>": a marker is only told apart once all
  // of it has been read.
  const std::string line = "<DT><A HREF=\"http://a/\">Titel</a><DD>x";
  for (std::size_t k = 1; k < line.size(); ++k) {
    std::filesystem::remove_all(Host("Favoriten"));
    MakeHostFolder(Host("Favoriten"));
    root_.tTemp.Assign("");
    // Inside the title, the line end is a blank.
    const std::string title = k > 24 && k < 29 ? line.substr(24, k - 24) + " " + line.substr(k, 29 - k) : "Titel";
    EXPECT_EQ(Convert(line.substr(0, k) + "\n" + line.substr(k) + "\n"),
              (Files{{title + ".url", Shortcut("http://a/")}}))
        << "split at " << k;
  }
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

// A bookmark file in memory, read in pieces of three bytes.
class MemoryFile : public platform::InputFile {
 public:
  explicit MemoryFile(std::string bytes) : bytes_(std::move(bytes)) {}
  std::ptrdiff_t Read(char* buffer, std::size_t capacity) override {
    const std::size_t n = std::min({capacity, bytes_.size() - at_, std::size_t{3}});
    std::copy_n(bytes_.data() + at_, n, buffer);
    at_ += n;
    return static_cast<std::ptrdiff_t>(n);
  }
  std::optional<std::uint64_t> Size() override { return bytes_.size(); }

 private:
  std::string bytes_;
  std::size_t at_ = 0;
};

struct CountCase {
  const char* bytes;
  std::uint64_t lineEnds;
  std::uint64_t shortcuts = 0;
  std::uint64_t beforeLineEnd = 0;  // bookmarks closed before their line end was read
};

class LineEndCountTest : public HostFixture, public ::testing::WithParamInterface<CountCase> {};

TEST_P(LineEndCountTest, CountsLineEndsPumpsAfterEachAndWritesTheBookmarks) {
  app::Root root(platform_);
  root.SetText(app::Field::tFavoriten, "C:\\");
  conversion::ShortcutWriter writer(root);
  conversion::RunProgress progress(root);
  conversion::BookmarkScanner scanner(root, writer, progress);
  MemoryFile file(GetParam().bytes);
  EXPECT_EQ(scanner.ReadAll(file), conversion::BookmarkScanner::Outcome::kEndOfFile);
  EXPECT_EQ(scanner.LineEnds(), GetParam().lineEnds) << GetParam().bytes;
  EXPECT_EQ(ui_.pumps, GetParam().lineEnds + GetParam().beforeLineEnd);
  EXPECT_EQ(scanner.ShortcutsWritten(), GetParam().shortcuts);
}

INSTANTIATE_TEST_SUITE_P(Files, LineEndCountTest,
                         ::testing::Values(CountCase{"", 0}, CountCase{"a", 1}, CountCase{"a\r\nb\r\n", 2},
                                           CountCase{"a\r\n\r\nb", 3}, CountCase{"a\rb\rc\r", 3},
                                           CountCase{"a\nb\n", 2}, CountCase{"\n\n\n", 3},
                                           CountCase{"\r\r\n\n", 3}, CountCase{"a\n\rb", 3},
                                           // A "<" just before the last end tag, with nothing behind.
                                           CountCase{"<DT><A HREF=\"http://a.example/\">I <3</A>\n", 1, 1},
                                           CountCase{"<DT><A HREF=\"http://a.example/\">I <3</A>\n\n\n", 3, 1},
                                           // Read three bytes at a time: the first "</A>" ends a read.
                                           CountCase{"<A HREF=a>b</A><A HREF=c>de</A>\n", 1, 2, 1}));

}  // namespace
}  // namespace merkwandel::testing
