// A Chromium-family browser's `Bookmarks` file (and `AccountBookmarks`
// beside it) through the run: the shortcuts in the order of the browser's
// own HTML export, or the error with nothing written.
#include <filesystem>
#include <optional>

#include "conversion/conversion_run.h"
#include "tests/conversion_fixture.h"

namespace merkwandel::testing {
namespace {

std::string Join(const std::vector<std::string>& nodes) {
  std::string joined;
  for (const auto& node : nodes) joined += (joined.empty() ? "" : ",") + node;
  return joined;
}
// Nodes as Chrome writes them: keys sorted, so a folder's children come
// before its type.
std::string Link(const std::string& name, const std::string& url) {
  return R"({"date_added":"13320000000000000","guid":"0b1e6a52","id":"7","meta_info":{"last_visited":"1"},"name":")" +
         name + R"(","type":"url","url":")" + url + R"("})";
}
std::string Folder(const std::string& name, const std::vector<std::string>& children) {
  return R"({"children":[)" + Join(children) + R"(],"date_added":"1","id":"3","name":")" + name +
         R"(","type":"folder"})";
}
std::string File(const std::string& bar, const std::string& other, const std::string& synced,
                 const std::string& moreRoots = "") {
  return R"({"checksum":"0f3c","roots":{"bookmark_bar":)" + bar + R"(,"other":)" + other + R"(,"synced":)" + synced +
         moreRoots + R"(},"sync_metadata":"QUJDRA==","version":1})";
}
const std::string kNoChildren = Folder("Leer", {});

// Whether this process holds the host file `path` open.
bool HeldOpen(const std::string& path) {
  for (const auto& fd : std::filesystem::directory_iterator("/proc/self/fd")) {
    std::error_code error;
    if (std::filesystem::read_symlink(fd.path(), error) == path) return true;
  }
  return false;
}

struct Row {
  const char* name;
  std::string bookmarks;
  std::optional<std::string> account;  // AccountBookmarks beside it
  std::vector<std::string> written;    // "name.url URL" in the order written; empty: the error
  const char* chosen = "Bookmarks";
  friend void PrintTo(const Row& row, std::ostream* os) { *os << row.name; }
};

class ChromiumRunTest : public ConversionFixture, public ::testing::WithParamInterface<Row> {};

TEST_P(ChromiumRunTest, GivesTheShortcutsOfTheBrowsersExportInItsOrder) {
  const Row& row = GetParam();
  WriteHostFile(Host("Profil/Bookmarks"), row.bookmarks);
  if (row.account) WriteHostFile(Host("Profil/AccountBookmarks"), *row.account);
  std::vector<std::string> order;
  files_.writeFault = [&](const std::string& path) {
    order.push_back(path.substr(path.rfind('/') + 1));
    // Read and closed: the browser may replace it while the shortcuts are written.
    EXPECT_FALSE(HeldOpen(Host("Profil/Bookmarks")) || HeldOpen(Host("Profil/AccountBookmarks")));
    return std::nullopt;
  };
  root_.SetText(app::Field::tHypertext, std::string("C:\\Profil\\") + row.chosen);
  conversion::RunConversion(root_);

  const auto files = TargetFiles();
  std::vector<std::string> written;
  for (const auto& name : order) {
    const std::string& content = files.at(name);
    const std::string head = "[InternetShortcut]\r\nURL=";
    EXPECT_TRUE(content.starts_with(head) && content.ends_with("\r\n")) << content;
    written.push_back(name + " " + content.substr(head.size(), content.size() - head.size() - 2));
  }
  EXPECT_EQ(written, row.written);
  ASSERT_EQ(ui_.messages.size(), 1u);
  EXPECT_EQ(ui_.messages[0].text,
            row.written.empty()
                ? "Entweder konnte der Zielordner oder die Datei mit Lesezeichen nicht gefunden werden.    "
                : "Es wurden " + std::to_string(row.written.size()) +
                      " Favoriten aus der Firefox Lesezeichendatei exportiert.    ");
  for (app::Control control : app::kInputControls) EXPECT_TRUE(root_.Enabled(control));
}

const std::string kNested = File(
    Folder("Lesezeichenleiste", {Link("Eins", "https://eins.example/"),
                                 Folder("Ordner", {Link("Zwei", "https://zwei.example/"),
                                                   Folder("Tief", {Link("Drei", "https://drei.example/")})}),
                                 Link("Vier", "https://vier.example/")}),
    Folder("Weitere Lesezeichen", {Folder("Ordner", {Link("Fünf", "https://fuenf.example/")})}),
    Folder("Mobile Lesezeichen", {Link("Sechs", "https://sechs.example/")}));
const std::vector<std::string> kNestedWritten = {
    "Eins.url https://eins.example/", "Zwei.url https://zwei.example/",   "Drei.url https://drei.example/",
    "Vier.url https://vier.example/", "Fünf.url https://fuenf.example/", "Sechs.url https://sechs.example/"};

INSTANTIATE_TEST_SUITE_P(
    Files, ChromiumRunTest,
    ::testing::Values(
        Row{"NestedInAllThreeRootsInChromesKeyOrder", kNested, std::nullopt, kNestedWritten},
        // Roots and node keys in another order; an object and an array where
        // no node is looked for.
        Row{"KeysInAnotherOrder",
            R"({"version":1,"roots":{"synced":{"type":"folder","children":[{"url":"https://sechs.example/","name":"Sechs","type":"url"}]},)"
            R"("other":{"type":"folder","children":[{"type":"folder","children":[{"type":"url","name":"Fünf","url":"https://fuenf.example/"}]}]},)"
            R"("bookmark_bar":{"name":"x","type":"folder","meta_info":{"children":[{"type":"url","name":"Nein","url":"https://nein/"}]},"children":[)"
            R"({"type":"url","url":"https://eins.example/","name":"Eins"},{"type":"folder","children":[{"name":"Zwei","url":"https://zwei.example/","type":"url"},)"
            R"({"children":[{"url":"https://drei.example/","type":"url","name":"Drei"}],"type":"folder"}]},)"
            R"({"type":"url","name":"Vier","url":"https://vier.example/","children":[{"type":"url","name":"Nein","url":"https://nein/"}]}]}},)"
            R"("extra":[{"roots":{}}],"checksum":"\"}\\\\"})",
            std::nullopt, kNestedWritten},
        // Chrome until about 2015 escaped every non-ASCII character; today
        // it escapes "<"; raw UTF-8. Titles are plain text.
        Row{"EscapesAndRawUtf8",
            File(Folder("", {Link(R"(Fragen \u0026amp; Antworten \u003Cneu\u003E \"zitiert\")", "https://q.example/?a=1\\u0026b=2"),
                             Link("Lachen \\ud83d\\ude00 \\u00fcber \\u6771\\u4eac", "https://emoji.example/"),
                             Link("Grüße aus 東京", "https://raw.example/")}),
                 kNoChildren, kNoChildren),
            std::nullopt,
            {"Fragen &amp; Antworten neu zitiert.url https://q.example/?a=1&b=2", "Lachen 😀 über 東京.url https://emoji.example/",
             "Grüße aus 東京.url https://raw.example/"}},
        // As Chrome writes it on Windows (CR LF, indented), with a
        // byte-order mark and more white space in front than the head holds.
        Row{"ByteOrderMarkWhiteSpaceAndCrLf",
            "\xEF\xBB\xBF\r\n\r\n\r\n\t                  \r\n{\r\n   \"roots\": {\r\n      \"bookmark_bar\": {\r\n"
            "         \"children\": [ {\r\n            \"name\": \"Eins\",\r\n            \"type\": \"url\",\r\n"
            "            \"url\": \"https://eins.example/\"\r\n         } ],\r\n         \"type\": \"folder\"\r\n      }\r\n"
            "   },\r\n   \"version\": 1\r\n}\r\n",
            std::nullopt, {"Eins.url https://eins.example/"}},
        // Types other than "url" and "folder" give nothing, not even their
        // children; so does a root other than the three.
        Row{"UnknownTypesAndTheTrashRoot",
            File(Folder("", {R"({"name":"Trenner","type":"separator","url":"https://trenner/"})",
                             R"({"children":[)" + Link("Nein", "https://nein/") + R"(],"name":"Seltsam","type":"smart"})",
                             R"({"name":"Ohne Typ","url":"https://ohne/"})", Link("Eins", "https://eins.example/")}),
                 kNoChildren, kNoChildren, R"(,"trash":)" + Folder("Papierkorb", {Link("Weg", "https://weg/")})),
            std::nullopt, {"Eins.url https://eins.example/"}},
        // Per root, the local bookmarks and then the account's, whichever
        // file was chosen, in any letter case.
        Row{"AccountBookmarksBeside",
            File(Folder("", {Link("Leiste lokal", "https://l1/")}), Folder("", {Link("Weitere lokal", "https://l2/")}),
                 kNoChildren),
            File(Folder("", {Link("Leiste Konto", "https://k1/")}), Folder("", {Link("Weitere Konto", "https://k2/")}),
                 Folder("", {Link("Mobil Konto", "https://k3/")})),
            {"Leiste lokal.url https://l1/", "Leiste Konto.url https://k1/", "Weitere lokal.url https://l2/",
             "Weitere Konto.url https://k2/", "Mobil Konto.url https://k3/"}, "bOOKMARKS"},
        Row{"AccountBookmarksChosen", File(Folder("", {Link("Lokal", "https://l/")}), kNoChildren, kNoChildren),
            File(Folder("", {Link("Konto", "https://k/")}), kNoChildren, kNoChildren),
            {"Lokal.url https://l/", "Konto.url https://k/"}, "ACCOUNTBOOKMARKS"},
        Row{"AccountBookmarksWithEmptyRoots", kNested, R"({"roots":{},"version":1})", kNestedWritten},
        // Damaged: the error, and nothing written, whatever came before.
        Row{"CutShort", kNested.substr(0, kNested.size() - 40), std::nullopt, {}},
        Row{"InvalidUtf8", File(Folder("", {Link("Eins", "https://eins.example/"), Link("Gr\xFC\xDF", "https://b/")}),
                                kNoChildren, kNoChildren),
            std::nullopt, {}},
        Row{"NotJson", "{ Eins: https://eins.example/ }", std::nullopt, {}},
        Row{"NoRoots", R"({"version":1,"bookmark_bar":)" + Folder("", {Link("Eins", "https://eins.example/")}) + "}",
            std::nullopt, {}},
        Row{"RootsNotAnObject", R"({"roots":[)" + Folder("", {Link("Eins", "https://eins.example/")}) + "]}",
            std::nullopt, {}},
        Row{"AccountBookmarksNotAnObject", kNested, "[" + kNested + "]", {}},
        // Deeper than Chrome itself reads.
        Row{"NestedTooDeep", R"({"roots":{"bookmark_bar":)" + std::string(199, '[') + std::string(199, ']') + "}}",
            std::nullopt, {}}),
    [](const auto& param) { return std::string(param.param.name); });

// One tree as the browser keeps it and as its own HTML export writes it.
TEST_F(ChromiumRunTest, GivesTheShortcutsOfTheSameTreeExportedAsHtml) {
  const auto fromExport = Convert(
      "<!DOCTYPE NETSCAPE-Bookmark-file-1>\r\n<!-- This is an automatically generated file.\r\n"
      "     It will be read and overwritten.\r\n     DO NOT EDIT! -->\r\n"
      "<META HTTP-EQUIV=\"Content-Type\" CONTENT=\"text/html; charset=UTF-8\">\r\n<TITLE>Bookmarks</TITLE>\r\n"
      "<H1>Bookmarks</H1>\r\n<DL><p>\r\n"
      "    <DT><H3 ADD_DATE=\"1\" LAST_MODIFIED=\"2\" PERSONAL_TOOLBAR_FOLDER=\"true\">Lesezeichenleiste</H3>\r\n"
      "    <DL><p>\r\n"
      "        <DT><A HREF=\"https://q.example/?a=1&b=2\" ADD_DATE=\"1\">Q&amp;A &lt;neu&gt; &quot;x&quot; &#39;y&#39;</A>\r\n"
      "        <DT><H3 ADD_DATE=\"1\" LAST_MODIFIED=\"2\">Ordner</H3>\r\n        <DL><p>\r\n"
      "            <DT><A HREF=\"https://gleich.example/1\" ADD_DATE=\"1\">Gleicher Titel</A>\r\n"
      "        </DL><p>\r\n"
      "        <DT><A HREF=\"https://ja.example/\" ADD_DATE=\"1\">東京 😀</A>\r\n"
      "    </DL><p>\r\n"
      "    <DT><A HREF=\"https://gleich.example/2\" ADD_DATE=\"1\">Gleicher Titel</A>\r\n"
      "    <DT><A HREF=\"https://mobil.example/\" ADD_DATE=\"1\">Mobil</A>\r\n"
      "</DL><p>\r\n");
  ASSERT_EQ(fromExport.size(), 5u);  // the second "Gleicher Titel" gets " (2)"
  std::filesystem::remove_all(Host("Favoriten"));
  MakeHostFolder(Host("Favoriten"));
  ui_.messages.clear();

  // The roots in another order than the export's.
  WriteHostFile(Host("Lesezeichen/Bookmarks"),
                R"({"roots":{"synced":)" + Folder("", {Link("Mobil", "https://mobil.example/")}) +
                    R"(,"other":)" + Folder("", {Link("Gleicher Titel", "https://gleich.example/2")}) +
                    R"(,"bookmark_bar":)" +
                    Folder("Lesezeichenleiste",
                           {Link(R"(Q&A \u003Cneu> \"x\" 'y')", "https://q.example/?a=1&b=2"),
                            Folder("Ordner", {Link("Gleicher Titel", "https://gleich.example/1")}),
                            Link("\\u6771\\u4eac \\ud83d\\ude00", "https://ja.example/")}) +
                    "}}");
  root_.SetText(app::Field::tHypertext, "C:\\Lesezeichen\\Bookmarks");
  conversion::RunConversion(root_);
  EXPECT_EQ(TargetFiles(), fromExport);
  EXPECT_EQ(ui_.messages.back().text, "Es wurden 5 Favoriten aus der Firefox Lesezeichendatei exportiert.    ");
}

}  // namespace
}  // namespace merkwandel::testing
