#include "system/file_dir_path.h"

namespace merkwandel::system_helpers {

std::string GetDirPath(const std::string& path) {
  const auto last = path.rfind('\\');
  return last == std::string::npos ? std::string() : path.substr(0, last + 1);
}

}  // namespace merkwandel::system_helpers
