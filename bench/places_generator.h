// Firefox bookmark databases (places.sqlite) for measuring: the tables Firefox
// reads bookmarks from, with its schema, holding the same tree as the
// Firefox export that WriteExport makes from the same count and seed.
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

}  // namespace merkwandel::bench
