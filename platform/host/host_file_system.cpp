#include "platform/host/host_file_system.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <utility>
#include <vector>

namespace merkwandel::platform::host {
namespace {

// Closes a POSIX file descriptor when it goes out of scope.
class ScopedFd {
 public:
  explicit ScopedFd(int fd) : fd_(fd) {}
  ScopedFd(const ScopedFd&) = delete;
  ScopedFd& operator=(const ScopedFd&) = delete;
  ~ScopedFd() { Close(); }
  int get() const { return fd_; }
  bool valid() const { return fd_ >= 0; }
  int Release() { return std::exchange(fd_, -1); }
  // Closes now; false when closing reported an error (a write that failed late).
  bool Close() {
    if (fd_ < 0) return true;
    const int result = ::close(fd_);
    fd_ = -1;
    return result == 0;
  }

 private:
  int fd_;
};

// Closes a POSIX directory stream when it goes out of scope.
class ScopedDir {
 public:
  explicit ScopedDir(DIR* dir) : dir_(dir) {}
  ScopedDir(const ScopedDir&) = delete;
  ScopedDir& operator=(const ScopedDir&) = delete;
  ~ScopedDir() {
    if (dir_ != nullptr) ::closedir(dir_);
  }
  DIR* get() const { return dir_; }

 private:
  DIR* dir_;
};

class HostInputFile final : public InputFile {
 public:
  HostInputFile(int fd, std::optional<std::size_t> failAfter) : fd_(fd), failAfter_(failAfter) {}
  std::ptrdiff_t Read(char* buffer, std::size_t capacity) override {
    if (failAfter_) {
      if (*failAfter_ == 0) return -1;
      capacity = std::min(capacity, *failAfter_);
    }
    for (;;) {
      const ssize_t n = ::read(fd_.get(), buffer, capacity);
      if (n >= 0) {
        if (failAfter_) *failAfter_ -= static_cast<std::size_t>(n);
        return n;
      }
      if (errno != EINTR) return -1;
    }
  }
  std::optional<std::uint64_t> Size() override {
    struct stat info {};
    if (::fstat(fd_.get(), &info) != 0) return std::nullopt;
    return static_cast<std::uint64_t>(info.st_size);
  }

 private:
  ScopedFd fd_;
  std::optional<std::size_t> failAfter_;
};

std::string Join(const std::string& folder, const std::string& utf8Name) {
  if (folder.empty() || folder.back() == '/') return folder + utf8Name;
  return folder + "/" + utf8Name;
}

bool IsFolder(const std::string& hostPath, struct stat* info = nullptr) {
  struct stat local {};
  struct stat& s = info != nullptr ? *info : local;
  return ::stat(hostPath.c_str(), &s) == 0 && S_ISDIR(s.st_mode);
}

// Every component but the last must be a plain name; the last one may also
// hold wildcards when `wildcardLast` is set.
bool ComponentsValid(const winpath::ParsedPath& parsed, bool wildcardLast) {
  for (std::size_t k = 0; k < parsed.components.size(); ++k) {
    std::string name = parsed.components[k];
    if (wildcardLast && k + 1 == parsed.components.size()) {
      std::erase_if(name, [](char c) { return c == '*' || c == '?'; });
      if (name.empty()) continue;
    }
    if (!winpath::IsValidName(name)) return false;
  }
  return true;
}

// The checks every path of a file to open or create passes: a name at its
// end that can be a name and is no device, and a length Windows accepts.
std::optional<winpath::ParsedPath> ParseFilePath(const std::string& path) {
  auto parsed = winpath::Parse(path);
  if (!parsed || parsed->trailingSeparator || parsed->components.empty()) return std::nullopt;
  if (!ComponentsValid(*parsed, false)) return std::nullopt;
  if (winpath::PathLength(winpath::Format(*parsed)) > winpath::kMaxPath) return std::nullopt;
  if (winpath::IsReservedDeviceName(parsed->components.back())) return std::nullopt;
  return parsed;
}

char UpperAscii(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

bool WriteAll(int fd, const char* data, std::size_t size) {
  while (size > 0) {
    const ssize_t n = ::write(fd, data, size);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    data += n;
    size -= static_cast<std::size_t>(n);
  }
  return true;
}

// Temporary folders are named this and six characters of mkdtemp's.
constexpr std::string_view kTemporaryPrefix = "merkwandel-places-";

// Removes every file directly in the folder `fd` refers to.
void RemoveFilesIn(int fd) {
  const int listing = ::dup(fd);
  DIR* dir = listing < 0 ? nullptr : ::fdopendir(listing);
  if (dir == nullptr) {
    if (listing >= 0) ::close(listing);
    return;
  }
  const ScopedDir closer(dir);
  ::rewinddir(dir);
  while (const dirent* entry = ::readdir(dir)) {
    struct stat info {};
    if (::fstatat(fd, entry->d_name, &info, AT_SYMLINK_NOFOLLOW) == 0 && !S_ISDIR(info.st_mode)) {
      ::unlinkat(fd, entry->d_name, 0);
    }
  }
}

// Removes the temporary folders in `base` that runs before left behind: this
// user's folders of that name that no one holds locked. Each is locked while
// it goes, so that a run that made it just now sees it gone.
void RemoveLeftoverFolders(const std::string& base) {
  const ScopedFd baseFd(::open(base.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (!baseFd.valid()) return;
  std::vector<std::string> names;
  {
    const int listing = ::dup(baseFd.get());
    DIR* dir = listing < 0 ? nullptr : ::fdopendir(listing);
    if (dir == nullptr) {
      if (listing >= 0) ::close(listing);
      return;
    }
    const ScopedDir closer(dir);
    while (const dirent* entry = ::readdir(dir)) {
      const std::string_view name = entry->d_name;
      if (name.size() == kTemporaryPrefix.size() + 6 && name.starts_with(kTemporaryPrefix)) names.emplace_back(name);
    }
  }
  for (const auto& name : names) {
    const ScopedFd fd(::openat(baseFd.get(), name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    struct stat info {};
    if (!fd.valid() || ::fstat(fd.get(), &info) != 0 || info.st_uid != ::geteuid()) continue;
    if (::flock(fd.get(), LOCK_EX | LOCK_NB) != 0) continue;  // in use
    RemoveFilesIn(fd.get());
    ::unlinkat(baseFd.get(), name.c_str(), AT_REMOVEDIR);
  }
}

bool SameTime(const struct timespec& a, const struct timespec& b) {
  return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec;
}

}  // namespace

void HostFileSystem::MapDrive(char letter, std::string hostFolder) {
  while (hostFolder.size() > 1 && hostFolder.back() == '/') hostFolder.pop_back();
  drives_[UpperAscii(letter)] = std::move(hostFolder);
  writeFolder_.reset();
}

void HostFileSystem::UnmapDrive(char letter) {
  drives_.erase(UpperAscii(letter));
  writeFolder_.reset();
}

std::optional<std::string> HostFileSystem::Base(const winpath::ParsedPath& parsed) const {
  if (parsed.drive != 0) {
    const auto it = drives_.find(parsed.drive);
    if (it == drives_.end()) return std::nullopt;
    return it->second;
  }
  return parsed.rooted ? std::string("/") : std::string(".");
}

std::optional<std::string> HostFileSystem::ExactHostPath(const winpath::ParsedPath& parsed) const {
  auto exact = Base(parsed);
  if (!exact) return std::nullopt;
  for (const auto& component : parsed.components) *exact = Join(*exact, component);
  return exact;
}

std::optional<HostFileSystem::Located> HostFileSystem::Locate(const winpath::ParsedPath& parsed,
                                                              const std::string* knownExact) {
  const auto base = Base(parsed);
  if (!base) return std::nullopt;

  // The common case: every part exists with the letter case given.
  const std::string exact = knownExact != nullptr ? *knownExact : *ExactHostPath(parsed);
  struct stat info {};
  if (::stat(exact.c_str(), &info) == 0) return Located{exact, true, info};

  std::string host = *base;
  if (::stat(host.c_str(), &info) != 0) return Located{exact, false, std::nullopt};
  for (std::size_t k = 0; k < parsed.components.size(); ++k) {
    const std::string& component = parsed.components[k];
    std::string candidate = Join(host, component);
    if (::stat(candidate.c_str(), &info) != 0) {
      FolderNames* names = NamesOf(host);
      const std::string* onDisk = nullptr;
      if (names != nullptr) {
        const auto found = names->byKey.find(winpath::NameKey(component));
        if (found != names->byKey.end()) onDisk = &found->second;
      }
      if (onDisk == nullptr) {
        for (std::size_t rest = k + 1; rest < parsed.components.size(); ++rest) {
          candidate = Join(candidate, parsed.components[rest]);
        }
        return Located{candidate, false, std::nullopt};
      }
      candidate = Join(host, *onDisk);
    }
    host = std::move(candidate);
  }
  return Located{host, true, std::nullopt};
}

std::optional<std::string> HostFileSystem::HostPath(const std::string& path) {
  ForgetNames();
  const auto parsed = winpath::Parse(path);
  if (!parsed) return std::nullopt;
  const auto located = Locate(*parsed);
  if (!located) return std::nullopt;
  return located->hostPath;
}

HostFileSystem::FolderNames* HostFileSystem::NamesOf(const std::string& hostFolder,
                                                     const struct stat* known) {
  struct stat info {};
  if (known != nullptr) {
    info = *known;
    if (!S_ISDIR(info.st_mode)) return nullptr;
  } else if (!IsFolder(hostFolder, &info)) {
    return nullptr;
  }
  FolderNames& names = names_[hostFolder];
  if (names.inode == info.st_ino && SameTime(names.modified, info.st_mtim)) return &names;

  ScopedDir dir(::opendir(hostFolder.c_str()));
  if (dir.get() == nullptr) {
    names_.erase(hostFolder);
    return nullptr;
  }
  names.byKey.clear();
  while (const dirent* entry = ::readdir(dir.get())) {
    std::string name = entry->d_name;
    if (name == "." || name == "..") continue;
    names.byKey.emplace(winpath::NameKey(name), std::move(name));
  }
  names.modified = info.st_mtim;
  names.inode = info.st_ino;
  return &names;
}

void HostFileSystem::ForgetNames() { names_.clear(); }

void HostFileSystem::Remember(const std::string& hostFolder, FolderNames& names) {
  struct stat info {};
  if (::stat(hostFolder.c_str(), &info) != 0) {
    names_.erase(hostFolder);
    return;
  }
  names.modified = info.st_mtim;
  names.inode = info.st_ino;
}

bool HostFileSystem::SearchFindsEntry(const std::string& path) {
  ForgetNames();
  const auto parsed = winpath::Parse(path);
  if (!parsed || parsed->trailingSeparator || parsed->components.empty()) return false;
  if (winpath::PathLength(winpath::Format(*parsed)) > winpath::kMaxPath) return false;
  if (!ComponentsValid(*parsed, true)) return false;

  const std::string& last = parsed->components.back();
  if (!winpath::HasWildcard(last)) {
    const auto located = Locate(*parsed);
    return located && located->exists;
  }

  winpath::ParsedPath folder = *parsed;
  folder.components.pop_back();
  const auto located = Locate(folder);
  if (!located || !located->exists || !IsFolder(located->hostPath)) return false;
  // Only a drive's root lacks the "." and ".." entries that a search lists.
  if (!folder.components.empty() &&
      (winpath::MatchesPattern(last, ".") || winpath::MatchesPattern(last, ".."))) {
    return true;
  }
  ScopedDir dir(::opendir(located->hostPath.c_str()));
  if (dir.get() == nullptr) return false;
  while (const dirent* entry = ::readdir(dir.get())) {
    const std::string_view name = entry->d_name;
    if (name == "." || name == "..") continue;
    if (winpath::MatchesPattern(last, name)) return true;
  }
  return false;
}

std::optional<std::uint32_t> HostFileSystem::Attributes(const std::string& path) {
  ForgetNames();
  const auto parsed = winpath::Parse(path);
  if (!parsed || !ComponentsValid(*parsed, false)) return std::nullopt;
  if (winpath::PathLength(winpath::Format(*parsed)) > winpath::kMaxPath) return std::nullopt;
  const auto located = Locate(*parsed);
  if (!located || !located->exists) return std::nullopt;

  struct stat info {};
  if (::stat(located->hostPath.c_str(), &info) != 0) return std::nullopt;
  const bool hidden = !parsed->components.empty() && parsed->components.back()[0] == '.';
  std::uint32_t attributes = hidden ? kAttributeHidden : 0;
  if (S_ISDIR(info.st_mode)) return attributes | kAttributeDirectory;
  if (parsed->trailingSeparator) return std::nullopt;  // a file is no folder
  if ((info.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0) attributes |= kAttributeReadOnly;
  return attributes | kAttributeArchive;
}

std::optional<std::int64_t> HostFileSystem::LastWriteTime(const std::string& path) {
  const auto host = Attributes(path) ? HostPath(path) : std::nullopt;
  struct stat info {};
  if (!host || ::stat(host->c_str(), &info) != 0) return std::nullopt;
  // 11644473600 seconds lie between 1601 and 1970.
  return (info.st_mtim.tv_sec + std::int64_t{11644473600}) * 10000000 + info.st_mtim.tv_nsec / 100;
}

bool HostFileSystem::MakeSureDirectoryPathExists(const std::string& path) {
  ForgetNames();
  auto parsed = winpath::Parse(path);
  if (!parsed) return false;
  // The last component names a file unless the path ends in a separator.
  if (!parsed->trailingSeparator && !parsed->components.empty()) parsed->components.pop_back();
  if (!ComponentsValid(*parsed, false)) return false;
  const auto base = Base(*parsed);
  if (!base || !IsFolder(*base)) return false;

  winpath::ParsedPath prefix = *parsed;
  prefix.components.clear();
  for (const auto& component : parsed->components) {
    if (winpath::IsReservedDeviceName(component)) return false;
    prefix.components.push_back(component);
    const auto located = Locate(prefix);
    if (!located) return false;
    if (located->exists) {
      if (!IsFolder(located->hostPath)) return false;  // a file in the way: no chain
      continue;
    }
    if (winpath::PathLength(winpath::Format(prefix)) > winpath::kMaxFolderPath) return false;
    if (::mkdir(located->hostPath.c_str(), 0777) != 0 && errno != EEXIST) return false;
  }
  return true;
}

std::optional<std::vector<std::string>> HostFileSystem::List(const std::string& folder, bool folders) {
  ForgetNames();
  const auto parsed = winpath::Parse(folder);
  if (!parsed || !ComponentsValid(*parsed, false)) return std::nullopt;
  const auto located = Locate(*parsed);
  if (!located || !located->exists || !IsFolder(located->hostPath)) return std::nullopt;

  ScopedDir dir(::opendir(located->hostPath.c_str()));
  if (dir.get() == nullptr) return std::nullopt;
  std::vector<std::string> names;
  while (const dirent* entry = ::readdir(dir.get())) {
    const std::string_view name = entry->d_name;
    if (name == "." || name == "..") continue;
    bool isFolder = entry->d_type == DT_DIR;
    if (entry->d_type == DT_UNKNOWN || entry->d_type == DT_LNK) {
      isFolder = IsFolder(Join(located->hostPath, std::string(name)));
    }
    if (isFolder == folders) names.emplace_back(name);
  }
  return names;
}

std::optional<std::vector<std::string>> HostFileSystem::ListSubfolders(const std::string& folder) {
  return List(folder, true);
}

std::optional<std::vector<std::string>> HostFileSystem::ListFiles(const std::string& folder) {
  return List(folder, false);
}

std::unique_ptr<InputFile> HostFileSystem::OpenForReading(const std::string& path) {
  ForgetNames();
  std::optional<Located> located;
  if (auto temporary = TemporaryHostPath(path)) {
    located = Located{std::move(*temporary), true, std::nullopt};
  } else if (const auto parsed = ParseFilePath(path)) {
    located = Locate(*parsed);
  }
  if (!located || !located->exists) return nullptr;
  if (openFault && openFault(located->hostPath)) return nullptr;

  const int fd = ::open(located->hostPath.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return nullptr;
  auto file = std::make_unique<HostInputFile>(
      fd, readFault ? readFault(located->hostPath) : std::optional<std::size_t>());
  struct stat info {};
  if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) return nullptr;  // a folder can't be read
  return file;
}

void HostFileSystem::KeepWriteFolder(const std::string& path, std::size_t lastSeparator) {
  WriteFolder folder;
  folder.text = path.substr(0, lastSeparator + 1);
  auto parsed = winpath::Parse(folder.text);
  if (!parsed) {
    writeFolder_.reset();
    return;
  }
  folder.parsed = std::move(*parsed);
  folder.valid = ComponentsValid(folder.parsed, false);
  folder.formattedLength = winpath::PathLength(winpath::Format(folder.parsed));
  folder.exactHostPath = ExactHostPath(folder.parsed);
  writeFolder_ = std::move(folder);
}

bool HostFileSystem::WriteWholeFile(const std::string& path, std::string_view content) {
  // A name that does not end in "." or " " is a component of its own that
  // parsing leaves as it is: the whole path is then the folder in front of
  // it, parsed alone, plus the name.
  // (By hand: find_last_of calls memchr on its set for every character.)
  std::size_t lastSeparator = path.size();
  while (lastSeparator > 0 && !winpath::IsSeparator(path[lastSeparator - 1])) --lastSeparator;
  lastSeparator = lastSeparator == 0 ? std::string::npos : lastSeparator - 1;
  const bool plainName = lastSeparator != std::string::npos && lastSeparator + 1 < path.size() &&
                         path.back() != '.' && path.back() != ' ';
  const bool sameFolder = plainName && writeFolder_ && writeFolder_->text.size() == lastSeparator + 1 &&
                          path.compare(0, lastSeparator + 1, writeFolder_->text) == 0;

  std::optional<winpath::ParsedPath> parsed;
  const winpath::ParsedPath* folderPath = nullptr;
  const std::string* exactFolder = nullptr;
  std::string name;
  if (sameFolder) {
    name = path.substr(lastSeparator + 1);
    if (!writeFolder_->valid || !winpath::IsValidName(name)) return false;
    const std::size_t length = writeFolder_->formattedLength +
                               (writeFolder_->parsed.components.empty() ? 0 : 1) +
                               winpath::PathLength(name);
    if (length > winpath::kMaxPath) return false;
    folderPath = &writeFolder_->parsed;
    if (writeFolder_->exactHostPath) exactFolder = &*writeFolder_->exactHostPath;
  } else {
    if (plainName) KeepWriteFolder(path, lastSeparator);
    parsed = ParseFilePath(path);
    if (!parsed) return false;
    name = parsed->components.back();
    parsed->components.pop_back();
    folderPath = &*parsed;
  }
  if (winpath::IsReservedDeviceName(name)) return false;

  const auto folder = Locate(*folderPath, exactFolder);
  if (!folder || !folder->exists) return false;
  // Locate has usually just looked at the folder; NamesOf needs not look again.
  FolderNames* names = NamesOf(folder->hostPath, folder->info ? &*folder->info : nullptr);
  if (names == nullptr) return false;

  const std::string key = winpath::NameKey(name);
  const auto existing = names->byKey.find(key);
  const std::string target =
      Join(folder->hostPath, existing != names->byKey.end() ? existing->second : name);
  const std::size_t limit =
      writeFault ? writeFault(target).value_or(content.size()) : content.size();
  const bool faulty = limit < content.size();

  // Writes `content` into a new file; removes it again when anything fails.
  enum class Outcome { kWritten, kExists, kFailed };
  auto writeNew = [&](const std::string& hostPath) {
    ScopedFd fd(::open(hostPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666));
    if (!fd.valid()) return errno == EEXIST ? Outcome::kExists : Outcome::kFailed;
    const bool written = WriteAll(fd.get(), content.data(), faulty ? limit : content.size()) && !faulty;
    if (fd.Close() && written) return Outcome::kWritten;
    ::unlink(hostPath.c_str());
    return Outcome::kFailed;
  };

  if (existing == names->byKey.end()) {
    const Outcome outcome = writeNew(target);
    if (outcome == Outcome::kWritten) {
      names->byKey.emplace(key, name);
      Remember(folder->hostPath, *names);
      return true;
    }
    if (outcome == Outcome::kFailed) return false;
  }

  // Replacing: the new content goes into a file of its own first, so that a
  // failed write leaves the old file whole.
  struct stat info {};
  if (::stat(target.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) return false;
  if ((info.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0) return false;  // read-only
  const std::string temporary =
      Join(folder->hostPath, ".~merkwandel-" + std::to_string(::getpid()) + "-" +
                                 std::to_string(++temporaryCounter_) + ".tmp");
  bool replaced = writeNew(temporary) == Outcome::kWritten;
  if (replaced && ::rename(temporary.c_str(), target.c_str()) != 0) {
    ::unlink(temporary.c_str());
    replaced = false;
  }
  Remember(folder->hostPath, *names);
  return replaced;
}

std::string HostFileSystem::CurrentDirectory() {
  char buffer[PATH_MAX];
  if (::getcwd(buffer, sizeof buffer) == nullptr) return std::string();
  const std::string cwd = buffer;
  for (const auto& [letter, root] : drives_) {
    if (cwd == root || (cwd.size() > root.size() && cwd.compare(0, root.size(), root) == 0 &&
                        (cwd[root.size()] == '/' || root == "/"))) {
      std::string rest = cwd.substr(root == "/" ? 1 : root.size());
      if (!rest.empty() && rest[0] == '/') rest.erase(0, 1);
      for (char& c : rest) {
        if (c == '/') c = '\\';
      }
      return std::string(1, letter) + ":\\" + rest;
    }
  }
  return cwd;
}

HostFileSystem::~HostFileSystem() {
  for (const auto& [path, fd] : temporaryFolders_) ::close(fd);
}

std::optional<std::string> HostFileSystem::TemporaryHostPath(const std::string& path) const {
  for (const auto& [folder, fd] : temporaryFolders_) {
    if (!path.starts_with(folder)) continue;
    if (path.size() == folder.size()) return folder;
    if (path[folder.size()] != '/' && path[folder.size()] != '\\') continue;
    std::string host = path;
    std::replace(host.begin() + static_cast<std::ptrdiff_t>(folder.size()), host.end(), '\\', '/');
    return host;
  }
  return std::nullopt;
}

std::optional<std::string> HostFileSystem::MakeTemporaryFolder() {
  ForgetNames();
  // As the system gives it; absolute, so that it names the folder whatever
  // the current directory.
  const char* given = std::getenv("TMPDIR");
  char base[PATH_MAX];
  if (::realpath(given != nullptr && *given != '\0' ? given : "/tmp", base) == nullptr) return std::nullopt;
  RemoveLeftoverFolders(base);
  for (int attempt = 0; attempt < 10; ++attempt) {
    std::string folder = std::string(base) + (base[1] == '\0' ? "" : "/") + std::string(kTemporaryPrefix) + "XXXXXX";
    if (::mkdtemp(folder.data()) == nullptr) return std::nullopt;
    // Locked before anyone can remove it as left behind; if someone did
    // meanwhile, the lock holds a folder that is gone.
    ScopedFd fd(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    struct stat held {}, named {};
    if (fd.valid() && ::flock(fd.get(), LOCK_EX | LOCK_NB) == 0 && ::fstat(fd.get(), &held) == 0 &&
        ::lstat(folder.c_str(), &named) == 0 && held.st_ino == named.st_ino && held.st_dev == named.st_dev) {
      temporaryFolders_[folder] = fd.Release();
      return folder;
    }
  }
  return std::nullopt;
}

bool HostFileSystem::CopySharedFile(const std::string& from, const std::string& to) {
  const auto source = OpenForReading(from);  // the open and read faults apply
  if (!source) return false;
  std::optional<Located> target;
  if (auto temporary = TemporaryHostPath(to)) {
    // A file there under another letter case is the same file, as below.
    const std::string folder = temporary->substr(0, temporary->rfind('/'));
    if (const FolderNames* names = NamesOf(folder)) {
      const auto found = names->byKey.find(winpath::NameKey(temporary->substr(folder.size() + 1)));
      if (found != names->byKey.end()) temporary = Join(folder, found->second);
    }
    target = Located{std::move(*temporary), false, std::nullopt};
  } else if (const auto parsed = ParseFilePath(to)) {
    // A file that exists under another letter case is found under its own
    // name, which the exclusive creation then refuses.
    target = Locate(*parsed);
  }
  if (!target) return false;
  ScopedFd fd(::open(target->hostPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666));
  if (!fd.valid()) return false;
  const std::size_t limit = writeFault ? writeFault(target->hostPath).value_or(SIZE_MAX) : SIZE_MAX;
  std::vector<char> block(64 * 1024);
  std::size_t copied = 0;
  bool whole = false;
  for (;;) {
    const std::ptrdiff_t read = source->Read(block.data(), block.size());
    if (read <= 0) {
      whole = read == 0;
      break;
    }
    const auto count = static_cast<std::size_t>(read);
    if (count > limit - copied || !WriteAll(fd.get(), block.data(), count)) break;
    copied += count;
  }
  if (fd.Close() && whole) return true;
  ::unlink(target->hostPath.c_str());
  return false;
}

bool HostFileSystem::RemoveFolderAndFiles(const std::string& folder) {
  ForgetNames();
  const auto temporary = temporaryFolders_.find(TemporaryHostPath(folder).value_or(""));
  if (temporary != temporaryFolders_.end()) {
    RemoveFilesIn(temporary->second);
    if (::rmdir(temporary->first.c_str()) != 0) return false;
    ::close(temporary->second);  // its lock goes with it
    temporaryFolders_.erase(temporary);
    return true;
  }
  const auto parsed = winpath::Parse(folder);
  // A drive's root is never removed.
  if (!parsed || parsed->components.empty() || !ComponentsValid(*parsed, false)) return false;
  const auto located = Locate(*parsed);
  if (!located) return false;
  if (!located->exists) return true;
  std::vector<std::string> files;
  {
    ScopedDir dir(::opendir(located->hostPath.c_str()));
    if (dir.get() == nullptr) return false;  // a file, or no access
    while (const dirent* entry = ::readdir(dir.get())) {
      const std::string path = Join(located->hostPath, entry->d_name);
      struct stat info {};
      if (::lstat(path.c_str(), &info) == 0 && !S_ISDIR(info.st_mode)) files.push_back(path);
    }
  }
  for (const auto& file : files) ::unlink(file.c_str());
  return ::rmdir(located->hostPath.c_str()) == 0;
}

}  // namespace merkwandel::platform::host
