// Browsers' own bookmark stores for measuring. Firefox bookmark databases
// (places.sqlite): the tables Firefox reads bookmarks from, with its schema,
// holding the same tree as the Firefox export that WriteExport makes from
// the same count and seed. Chromium-family `Bookmarks` files, holding the
// tree of the Chrome export of the same count and seed.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "bench/bookmark_generator.h"

namespace merkwandel::bench {

// Writes the database `path` (a file there is replaced) and gives the
// shortcuts that converting it must write, the same as for the export;
// nothing when writing failed.
std::optional<std::vector<ExpectedShortcut>> WritePlacesDatabase(const std::string& path, std::size_t count,
                                                                  std::uint64_t seed);

// Writes the JSON file `path` as Chrome keeps it (keys sorted, indented,
// CR LF), with `syncMetadata` base64 characters of sync_metadata behind the
// roots, and gives the shortcuts that converting it must write; nothing when
// writing failed.
std::optional<std::vector<ExpectedShortcut>> WriteChromiumBookmarks(const std::string& path, std::size_t count,
                                                                     std::uint64_t seed, std::size_t syncMetadata);

}  // namespace merkwandel::bench
