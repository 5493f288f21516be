// The file-system operations on a POSIX host, with Windows' rules: a path
// "X:\..." resolves through a map of drive letters to host folders, "\" and
// "/" separate components, a path without drive letter is a host path, names
// are UTF-8 and stay so on disk, letter case does not tell names apart (in
// any script), lengths count UTF-16 units, and a name starting with "."
// counts as hidden. The private snapshot folders are made below $TMPDIR (or
// /tmp) and named by their absolute host path, which is taken as it is, not
// by Windows' rules; each is locked (flock) while this object holds it.
#pragma once

#include <sys/stat.h>
#include <sys/types.h>

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <unordered_map>

#include "platform/common/windows_path.h"
#include "platform/platform.h"

namespace merkwandel::platform::host {

class HostFileSystem final : public FileSystem {
 public:
  HostFileSystem() = default;
  // Lets go of the temporary folders not removed, as a process that ends does.
  ~HostFileSystem() override;
  HostFileSystem(const HostFileSystem&) = delete;
  HostFileSystem& operator=(const HostFileSystem&) = delete;

  // Maps drive `letter` (either case) to the host folder `hostFolder`.
  void MapDrive(char letter, std::string hostFolder);
  void UnmapDrive(char letter);

  // The host path a Windows path names, following the letter case that is on
  // disk for the parts that exist. Nothing when the path can't name anything
  // here (unmapped drive, network path, empty).
  std::optional<std::string> HostPath(const std::string& path);

  // Fault injection for tests: called before each write of a file's content
  // (a copy's too) with the host path; when it returns a number n, only n
  // bytes are written and the write then fails as on a full disk.
  std::function<std::optional<std::size_t>(const std::string& hostPath)> writeFault;
  // Fault injection for tests: called before a file is opened for reading
  // (a copy's source too); returning true refuses it as if another program
  // held it locked.
  std::function<bool(const std::string& hostPath)> openFault;
  // Fault injection for tests: called when a file is opened for reading; when
  // it returns a number n, reading fails once n bytes have been read.
  std::function<std::optional<std::size_t>(const std::string& hostPath)> readFault;

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
  struct Located {
    std::string hostPath;
    bool exists = false;
    // What the look at hostPath found, when Locate took one (it does when
    // every part exists with the letter case given), so callers need not
    // look again.
    std::optional<struct stat> info;
  };
  // The host folder where the parsed path starts: a mapped drive's folder,
  // "/" or "." (relative host path). Nothing for an unmapped drive.
  std::optional<std::string> Base(const winpath::ParsedPath& parsed) const;
  // Walks the components from the base, each matched exactly or else ignoring
  // letter case. `exists` is false as soon as one part is missing; the
  // remaining parts are then appended as given. `exact`: the path's
  // ExactHostPath, when the caller knows it.
  std::optional<Located> Locate(const winpath::ParsedPath& parsed, const std::string* exact = nullptr);
  // The host path that names the parsed path when every part exists with the
  // letter case given. Nothing for an unmapped drive.
  std::optional<std::string> ExactHostPath(const winpath::ParsedPath& parsed) const;
  std::optional<std::vector<std::string>> List(const std::string& folder, bool folders);
  // The host path of `path` when it is one of the temporary folders made
  // here, or lies in one ("\" or "/" after the folder's path).
  std::optional<std::string> TemporaryHostPath(const std::string& path) const;

  // Names of one host folder, by NameKey, for finding a file under another
  // letter case without reading the folder at every write. Checked against
  // the folder's modification time before use, and forgotten by every
  // operation but writing, so that a series of writes (one conversion run)
  // reads each folder once while changes made between operations are always
  // seen, even within one tick of the file system's clock.
  struct FolderNames {
    struct timespec modified {};
    ino_t inode = 0;
    std::unordered_map<std::string, std::string> byKey;  // key -> name on disk
  };
  // `known`: the folder's attributes, when the caller has just read them.
  FolderNames* NamesOf(const std::string& hostFolder, const struct stat* known = nullptr);
  // Takes the folder's state after this program changed it, so that the
  // change does not count as one from outside.
  void Remember(const std::string& hostFolder, FolderNames& names);
  void ForgetNames();

  // The folder of the last file written, by the text in front of the
  // file's name. A conversion writes all its files into one folder; what
  // follows from the folder's text alone (and the drive map) is worked out
  // once instead of for every file.
  struct WriteFolder {
    std::string text;                           // up to and including the last separator
    winpath::ParsedPath parsed;                 // winpath::Parse(text)
    bool valid = false;                         // every component can be a name
    std::size_t formattedLength = 0;            // of winpath::Format(parsed)
    std::optional<std::string> exactHostPath;   // ExactHostPath(parsed)
  };
  void KeepWriteFolder(const std::string& path, std::size_t lastSeparator);

  std::map<char, std::string> drives_;
  std::optional<WriteFolder> writeFolder_;
  std::unordered_map<std::string, FolderNames> names_;
  unsigned temporaryCounter_ = 0;
  std::map<std::string, int> temporaryFolders_;  // host path -> descriptor that holds its lock
};

}  // namespace merkwandel::platform::host
