#include "app/folder_lists.h"

#include <algorithm>

#include "platform/common/windows_path.h"

namespace merkwandel::app {
namespace {

bool IsDriveRoot(const std::string& path) {
  return path.size() == 3 && path[1] == ':' && path[2] == '\\';
}

}  // namespace

bool DirectoryList::SetPath(const std::string& folder) {
  path_ = folder;
  while (path_.size() > 1 && path_.back() == '\\' && !IsDriveRoot(path_)) path_.pop_back();
  entries_.clear();
  auto names = files_.ListSubfolders(folder);
  if (!names) return false;
  std::stable_sort(names->begin(), names->end(), [](const std::string& a, const std::string& b) {
    return winpath::NameKey(a) < winpath::NameKey(b);
  });
  const std::string prefix = path_.empty() || path_.back() == '\\' ? path_ : path_ + "\\";
  for (const auto& name : *names) entries_.push_back(prefix + name);
  return true;
}

std::string DirectoryList::List(int index) const {
  if (index == -1) return path_;
  if (index < 0 || index >= ListCount()) return std::string();
  return entries_[static_cast<std::size_t>(index)];
}

bool FileList::SetPath(const std::string& folder) {
  path_ = folder;
  return Refresh();
}

bool FileList::Refresh() {
  auto names = files_.ListFiles(path_);
  if (!names) {
    names_.clear();
    return false;
  }
  names_ = std::move(*names);
  return true;
}

}  // namespace merkwandel::app
