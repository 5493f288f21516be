// A temporary folder mapped as drive C: of a host backend, with helpers to
// lay out files on the host side and read them back.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/host/host_platform.h"

namespace merkwandel::testing {

// A fresh folder under the system's temporary folder, removed with all it
// holds when the object goes.
class TempFolder {
 public:
  TempFolder();
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

// Host-side file helpers; paths in UTF-8. Writing makes the file's folders.
void WriteHostFile(const std::string& path, const std::string& bytes);
std::string ReadHostFile(const std::string& path);
bool HostExists(const std::string& path);
void MakeHostFolder(const std::string& path);
// The names in a host folder, sorted, "." and ".." left out.
std::vector<std::string> HostNames(const std::string& folder);

class HostFixture : public ::testing::Test {
 protected:
  HostFixture();

  // The host path of a path below drive C:'s folder (UTF-8, "/" separated).
  std::string Host(const std::string& relative) const { return temp_.path() + "/" + relative; }

  TempFolder temp_;
  platform::host::HostPlatform platform_;
  platform::host::HostFileSystem& files_ = platform_.HostFiles();
  platform::host::HostUserInterface& ui_ = platform_.HostUi();
};

}  // namespace merkwandel::testing
