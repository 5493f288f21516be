// A window state on the host backend with a bookmark file and a target
// folder on drive C:, and helpers to write bookmark files in the shapes
// browsers export.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "app/root.h"
#include "tests/host_fixture.h"

namespace merkwandel::testing {

// One bookmark line as current Firefox writes it.
std::string BookmarkLine(const std::string& url, const std::string& title);
// A whole export: the header browsers write, `entries` inside one DL list,
// every line ended by `eol`.
std::string ExportFile(const std::vector<std::string>& entries, const std::string& eol = "\n");
// `count` bookmarks, "L0" of http://x/0 and so on, in each kind of file in
// the host folder `folder`: bookmarks.html (an export), places.sqlite (a
// Firefox database) and Bookmarks (a Chromium-family file), whose
// bookmarks from the `split`th on are in AccountBookmarks beside it.
void WriteEachKind(const std::string& folder, int count, int split);

class ConversionFixture : public HostFixture {
 protected:
  static constexpr char kSource[] = "C:\\Lesezeichen\\bookmarks.html";
  static constexpr char kTarget[] = "C:\\Favoriten";

  ConversionFixture();

  // Writes the bookmark file, runs the conversion, and gives what the target
  // folder then holds: file name (UTF-8) to content.
  std::map<std::string, std::string> Convert(const std::string& bookmarkFile);
  std::map<std::string, std::string> TargetFiles() const;

  app::Root root_{platform_};
};

}  // namespace merkwandel::testing
