// Module FileDirPath: the folder part of a path.
#pragma once

#include <string>

namespace merkwandel::system_helpers {

// Everything up to and including the last "\" of `path`; the empty string
// when it holds none. "\" is the only separator here: a "/" is an ordinary
// character.
std::string GetDirPath(const std::string& path);

}  // namespace merkwandel::system_helpers
