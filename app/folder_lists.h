// The two hidden list controls of the main window as plain objects:
// DirLocal lists the subfolders of one folder, DirFiles the files of one
// folder.
#pragma once

#include <string>
#include <vector>

#include "platform/platform.h"

namespace merkwandel::app {

// DirLocal: shows one folder and lists its subfolders, sorted by name without
// regard to letter case.
class DirectoryList {
 public:
  explicit DirectoryList(platform::FileSystem& files) : files_(files) {}

  // Shows `folder` (with or without a trailing "\") and lists its subfolders
  // at once. False when the folder can't be listed; the list is then empty.
  bool SetPath(const std::string& folder);
  const std::string& Path() const { return path_; }
  int ListCount() const { return static_cast<int>(entries_.size()); }
  // Entry 0 to ListCount() - 1: the full path of a subfolder. Entry -1: the
  // folder shown itself, without trailing "\" unless it is a drive root.
  // Any other index gives the empty string.
  std::string List(int index) const;

 private:
  platform::FileSystem& files_;
  std::string path_;
  std::vector<std::string> entries_;
};

// DirFiles: shows one folder and lists every file in it, whatever its
// attributes (hidden, system and read-only files too); no subfolders.
class FileList {
 public:
  explicit FileList(platform::FileSystem& files) : files_(files) {}

  // Shows `folder` and reads its listing. False when it can't be listed; the
  // list is then empty.
  bool SetPath(const std::string& folder);
  // Reads the listing of the folder shown anew.
  bool Refresh();
  const std::string& Path() const { return path_; }
  std::size_t ListCount() const { return names_.size(); }
  const std::vector<std::string>& Names() const { return names_; }

 private:
  platform::FileSystem& files_;
  std::string path_;
  std::vector<std::string> names_;
};

}  // namespace merkwandel::app
