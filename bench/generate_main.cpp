// merkwandel-bench-generate KIND SIZE BOOKMARKFILE LISTFILE [SEED]
//
// Writes a bookmark file for measuring and the list of the shortcuts that
// converting it must give ("name<TAB>URL" per line).
//   KIND firefox, chrome   SIZE bookmarks
//   KIND description       SIZE bytes of description lines without end tag
//   KIND favicon           SIZE characters of one inline favicon
//   KIND places            SIZE bookmarks: a Firefox bookmark database with the
//                          tree of the firefox file of the same SIZE and SEED
//   KIND chromium          SIZE bookmarks: a Chromium-family Bookmarks file with
//                          the tree of the chrome file of the same SIZE and
//                          SEED, and 20 MB of sync_metadata
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include "bench/bookmark_generator.h"
#include "bench/places_generator.h"

namespace {

int Usage() {
  std::fprintf(stderr,
               "usage: merkwandel-bench-generate firefox|chrome|description|favicon|places|chromium SIZE "
               "BOOKMARKFILE LISTFILE [SEED]\n");
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  using namespace merkwandel::bench;
  if (argc != 5 && argc != 6) return Usage();
  const std::string kind = argv[1];
  char* end = nullptr;
  const unsigned long long size = std::strtoull(argv[2], &end, 10);
  if (end == argv[2] || *end != '\0') return Usage();
  const std::uint64_t seed = argc == 6 ? std::strtoull(argv[5], nullptr, 10) : 20240611;

  if (kind == "places" || kind == "chromium") {
    const auto expected = kind == "places" ? WritePlacesDatabase(argv[3], size, seed)
                                           : WriteChromiumBookmarks(argv[3], size, seed, 20000000);
    std::ofstream list(argv[4], std::ios::binary | std::ios::trunc);
    if (expected) WriteManifest(list, *expected);
    list.close();
    if (expected && list) return 0;
    std::fprintf(stderr, "writing failed\n");
    return 1;
  }
  std::ofstream out(argv[3], std::ios::binary | std::ios::trunc);
  if (!out) {
    std::fprintf(stderr, "cannot write %s\n", argv[3]);
    return 1;
  }
  std::vector<ExpectedShortcut> expected;
  if (kind == "firefox") {
    expected = WriteExport(out, Browser::kFirefox, size, seed);
  } else if (kind == "chrome") {
    expected = WriteExport(out, Browser::kChrome, size, seed);
  } else if (kind == "description") {
    expected = WriteLongDescription(out, size, seed);
  } else if (kind == "favicon") {
    expected = WriteHugeFavicon(out, size, seed);
  } else {
    return Usage();
  }
  out.close();
  std::ofstream list(argv[4], std::ios::binary | std::ios::trunc);
  WriteManifest(list, expected);
  list.close();
  if (!out || !list) {
    std::fprintf(stderr, "writing failed\n");
    return 1;
  }
  return 0;
}
