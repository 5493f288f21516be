// The host backend under the shared file-system rows, with drive C: mapped
// to a fresh folder.
#include <sys/stat.h>

#include <algorithm>

#include "tests/file_system_rows.h"
#include "tests/host_fixture.h"

namespace merkwandel::testing {
namespace {

class HostTestBackend final : public TestBackend {
 public:
  HostTestBackend() { files_.MapDrive('C', temp_.path()); }
  platform::FileSystem& Files() override { return files_; }
  std::string Root() override { return "C:"; }
  // A path on drive C:, or a host path, with "/" for "\".
  std::filesystem::path Local(const std::string& path) override {
    std::string local = path.starts_with("C:") ? temp_.path() + path.substr(2) : path;
    std::replace(local.begin(), local.end(), '\\', '/');
    return local;
  }
  void SetAttributes(const std::string& path, std::uint32_t attributes) override {
    if (attributes & platform::kAttributeReadOnly) ::chmod(Local(path).c_str(), 0444);
  }
  std::shared_ptr<void> Hold(const std::string&, bool) override { return nullptr; }

 private:
  TempFolder temp_;
  platform::host::HostFileSystem files_;
};

// The console driver's paths without drive letter are host paths, in which
// "\" separates as well; the console driver's copies may fail in reading.
TEST(HostFileSystemTest, TakesHostPathsWithoutDriveLetter) {
  TempFolder temp;
  platform::host::HostFileSystem files;
  EXPECT_TRUE(files.MakeSureDirectoryPathExists(temp.path() + "\\Sub\\"));
  EXPECT_TRUE(files.WriteWholeFile(temp.path() + "/Sub/a.url", "x"));
  EXPECT_TRUE(files.SearchFindsEntry(temp.path() + "\\Sub\\a.url"));
  // A copy that fails half-way is no copy.
  files.readFault = [](const std::string&) { return std::optional<std::size_t>(1); };
  EXPECT_FALSE(files.CopySharedFile(temp.path() + "/Sub/a.url", temp.path() + "/Sub/b.url"));
  EXPECT_EQ(HostNames(temp.path() + "/Sub"), std::vector<std::string>{"a.url"});
}

}  // namespace

std::unique_ptr<TestBackend> MakeTestBackend() { return std::make_unique<HostTestBackend>(); }

}  // namespace merkwandel::testing
