#include "system/dateiexistenz.h"

namespace merkwandel::system_helpers {

bool FileExists(platform::FileSystem& files, const std::string& path) {
  return files.SearchFindsEntry(path);
}

bool PathExists(platform::FileSystem& files, const std::string& path) {
  return files.Attributes(path).has_value();
}

}  // namespace merkwandel::system_helpers
