#include "tests/conversion_fixture.h"

#include "conversion/conversion_run.h"
#include "tests/places_fixture.h"

namespace merkwandel::testing {

std::string BookmarkLine(const std::string& url, const std::string& title) {
  return "        <DT><A HREF=\"" + url + "\" ADD_DATE=\"1599750511\" LAST_MODIFIED=\"1719772224\">" +
         title + "</A>";
}

std::string ExportFile(const std::vector<std::string>& entries, const std::string& eol) {
  std::vector<std::string> lines = {
      "<!DOCTYPE NETSCAPE-Bookmark-file-1>", "<!-- This is an automatically generated file.",
      "     It will be read and overwritten.", "     DO NOT EDIT! -->",
      "<META HTTP-EQUIV=\"Content-Type\" CONTENT=\"text/html; charset=UTF-8\">", "<TITLE>Bookmarks</TITLE>",
      "<H1>Bookmarks Menu</H1>", "", "<DL><p>",
      "    <DT><H3 ADD_DATE=\"1678636323\" LAST_MODIFIED=\"1719772224\">Ordner</H3>", "    <DL><p>"};
  lines.insert(lines.end(), entries.begin(), entries.end());
  lines.insert(lines.end(), {"    </DL><p>", "</DL>"});
  std::string file;
  for (const auto& line : lines) file += line + eol;
  return file;
}

void WriteEachKind(const std::string& folder, int count, int split) {
  std::vector<std::string> lines;
  std::string links[2];
  for (int i = 0; i < count; ++i) {
    const std::string n = std::to_string(i);
    lines.push_back(BookmarkLine("http://x/" + n, "L" + n));
    links[i >= split] += std::string(i == 0 || i == split ? "" : ",") + R"({"type":"url","name":"L)" + n +
                         R"(","url":"http://x/)" + n + R"("})";
  }
  WriteHostFile(folder + "/bookmarks.html", ExportFile(lines));
  for (const int i : {0, 1}) {
    WriteHostFile(folder + (i ? "/AccountBookmarks" : "/Bookmarks"),
                  R"({"roots":{"other":{"type":"folder","children":[)" + links[i] + "]}}}");
  }
  Execute(OpenForWriting(folder + "/places.sqlite").get(),
          std::string(kPlacesSchema) + kPlacesRoots + "WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n WHERE i < " +
              std::to_string(count - 1) + ") INSERT INTO moz_places (id, url) SELECT i + 1, 'http://x/' || i FROM n;"
              " INSERT INTO moz_bookmarks (id, type, fk, parent, position, title) SELECT id + 100, 1, id, 2, id,"
              " 'L' || (id - 1) FROM moz_places;");
}

ConversionFixture::ConversionFixture() {
  MakeHostFolder(Host("Lesezeichen"));
  MakeHostFolder(Host("Favoriten"));
  root_.SetText(app::Field::tHypertext, kSource);
  root_.SetText(app::Field::tFavoriten, kTarget);
}

std::map<std::string, std::string> ConversionFixture::Convert(const std::string& bookmarkFile) {
  WriteHostFile(Host("Lesezeichen/bookmarks.html"), bookmarkFile);
  conversion::RunConversion(root_);
  return TargetFiles();
}

std::map<std::string, std::string> ConversionFixture::TargetFiles() const {
  std::map<std::string, std::string> files;
  for (const auto& name : HostNames(Host("Favoriten"))) files[name] = ReadHostFile(Host("Favoriten/" + name));
  return files;
}

}  // namespace merkwandel::testing
