// Module Dateiexistenz: does a file or folder exist? Both tests keep no
// state, show nothing and never fail towards the caller.
#pragma once

#include <string>

#include "platform/platform.h"

namespace merkwandel::system_helpers {

// True when a directory search for `path` finds an entry, file or folder.
// Wildcards in the last component match any fitting entry; a path ending in
// "\", a bare drive root and the empty path give false.
bool FileExists(platform::FileSystem& files, const std::string& path);

// True when the file system can report the attributes of `path`: an existing
// file or folder (with or without trailing "\"), or a drive root. The whole
// attribute word counts, whatever bits it holds.
bool PathExists(platform::FileSystem& files, const std::string& path);

}  // namespace merkwandel::system_helpers
