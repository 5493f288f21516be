// The file-system operations with the wide entry points of Windows: paths
// arrive as UTF-8 and reach Windows as UTF-16.
#pragma once

#include <map>

#include "platform/platform.h"
#include "platform/win32/handles.h"

namespace merkwandel::platform::win32 {

class Win32FileSystem final : public FileSystem {
 public:
  bool SearchFindsEntry(const std::string& path) override;
  std::optional<std::uint32_t> Attributes(const std::string& path) override;
  std::optional<std::int64_t> LastWriteTime(const std::string& path) override;
  bool MakeSureDirectoryPathExists(const std::string& path) override;
  std::optional<std::vector<std::string>> ListSubfolders(const std::string& folder) override;
  std::optional<std::vector<std::string>> ListFiles(const std::string& folder) override;
  std::unique_ptr<InputFile> OpenForReading(const std::string& path) override;
  bool WriteWholeFile(const std::string& path, std::string_view content) override;
  std::string CurrentDirectory() override;
  std::optional<std::string> MakeTemporaryFolder() override;
  bool CopySharedFile(const std::string& from, const std::string& to) override;
  bool RemoveFolderAndFiles(const std::string& folder) override;

 private:
  std::optional<std::vector<std::string>> List(const std::string& folder, bool folders);
  unsigned temporaryCounter_ = 0;
  // The temporary folders made here, each held open, without leave to
  // delete it, until it is removed or this object goes.
  std::map<std::string, KernelHandle> temporaryFolders_;
};

}  // namespace merkwandel::platform::win32
