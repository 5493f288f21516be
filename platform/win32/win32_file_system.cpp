#include "platform/win32/win32_file_system.h"

#include <windows.h>
#include <imagehlp.h>

#include <algorithm>
#include <climits>

#include "platform/win32/handles.h"

namespace merkwandel::platform::win32 {
namespace {

class Win32InputFile final : public InputFile {
 public:
  explicit Win32InputFile(KernelHandle file) : file_(std::move(file)) {}
  std::ptrdiff_t Read(char* buffer, std::size_t capacity) override {
    const DWORD wanted = static_cast<DWORD>(std::min<std::size_t>(capacity, 1u << 30));
    DWORD read = 0;
    if (!ReadFile(file_.get(), buffer, wanted, &read, nullptr)) return -1;
    return static_cast<std::ptrdiff_t>(read);
  }

 private:
  KernelHandle file_;
};

// Opens a file with CreateFileA; only a file on a disk counts (a device name
// such as CON or COM1 opens a device, which the program must not read from
// or write to).
KernelHandle OpenDiskFile(const std::string& path, DWORD access, DWORD share, DWORD disposition,
                          DWORD flags) {
  KernelHandle file(CreateFileA(path.c_str(), access, share, nullptr, disposition, flags, nullptr));
  if (file && GetFileType(file.get()) != FILE_TYPE_DISK) file.Reset();
  return file;
}

bool WriteAll(HANDLE file, std::string_view content) {
  while (!content.empty()) {
    const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(content.size(), 1u << 30));
    DWORD written = 0;
    if (!WriteFile(file, content.data(), chunk, &written, nullptr) || written == 0) return false;
    content.remove_prefix(written);
  }
  return true;
}

enum class Created { kWritten, kExists, kFailed };

// Writes `content` into a new file; removes it again when anything fails.
Created WriteNewFile(const std::string& path, std::string_view content) {
  KernelHandle file(CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) {
    const DWORD error = GetLastError();
    return error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS ? Created::kExists
                                                                       : Created::kFailed;
  }
  if (GetFileType(file.get()) != FILE_TYPE_DISK) return Created::kFailed;  // a device, not a file
  const bool written = WriteAll(file.get(), content);
  if (file.Reset() && written) return Created::kWritten;
  DeleteFileA(path.c_str());
  return Created::kFailed;
}

// The folder part of a path, up to and including its last separator.
std::string FolderOf(const std::string& path) {
  const auto last = path.find_last_of("\\/");
  return last == std::string::npos ? std::string() : path.substr(0, last + 1);
}

}  // namespace

bool Win32FileSystem::SearchFindsEntry(const std::string& path) {
  WIN32_FIND_DATAA found{};
  FindHandle search(FindFirstFileA(path.c_str(), &found));
  return search.valid();
}

std::optional<std::uint32_t> Win32FileSystem::Attributes(const std::string& path) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return std::nullopt;
  return static_cast<std::uint32_t>(attributes);
}

bool Win32FileSystem::MakeSureDirectoryPathExists(const std::string& path) {
  // Wine's MakeSureDirectoryPathExists copies each leading part of the path
  // into a buffer of MAX_PATH characters without looking at its length, and
  // a longer path overruns it. No folder of such a path can be made with the
  // ANSI calls anyway: make the folders along it that fit, as Windows does,
  // and fail.
  if (path.size() < MAX_PATH) return ::MakeSureDirectoryPathExists(path.c_str()) != FALSE;
  const auto fits = path.find_last_of('\\', MAX_PATH - 2);
  if (fits != std::string::npos) ::MakeSureDirectoryPathExists(path.substr(0, fits + 1).c_str());
  SetLastError(ERROR_FILENAME_EXCED_RANGE);
  return false;
}

std::optional<std::vector<std::string>> Win32FileSystem::List(const std::string& folder,
                                                              bool folders) {
  if (folder.empty()) return std::nullopt;
  const bool separated = folder.back() == '\\' || folder.back() == '/';
  const std::string pattern = folder + (separated ? "*" : "\\*");
  WIN32_FIND_DATAA found{};
  FindHandle search(FindFirstFileA(pattern.c_str(), &found));
  std::vector<std::string> names;
  if (!search) {
    // An empty drive root has no "." and ".." and so no entry at all.
    const DWORD error = GetLastError();
    const DWORD attributes = GetFileAttributesA(folder.c_str());
    const bool isFolder =
        attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    if (isFolder && (error == ERROR_FILE_NOT_FOUND || error == ERROR_NO_MORE_FILES)) return names;
    return std::nullopt;
  }
  do {
    const std::string name = found.cFileName;
    if (name == "." || name == "..") continue;
    const bool isFolder = (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    if (isFolder == folders) names.push_back(name);
  } while (FindNextFileA(search.get(), &found));
  if (GetLastError() != ERROR_NO_MORE_FILES) return std::nullopt;
  return names;
}

std::optional<std::vector<std::string>> Win32FileSystem::ListSubfolders(const std::string& folder) {
  return List(folder, true);
}

std::optional<std::vector<std::string>> Win32FileSystem::ListFiles(const std::string& folder) {
  return List(folder, false);
}

std::unique_ptr<InputFile> Win32FileSystem::OpenForReading(const std::string& path) {
  KernelHandle file = OpenDiskFile(path, GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING,
                                   FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN);
  if (!file) return nullptr;
  return std::make_unique<Win32InputFile>(std::move(file));
}

bool Win32FileSystem::WriteWholeFile(const std::string& path, std::string_view content) {
  if (path.empty() || path.back() == '\\' || path.back() == '/') return false;
  switch (WriteNewFile(path, content)) {
    case Created::kWritten: return true;
    case Created::kFailed: return false;
    case Created::kExists: break;
  }

  // Replacing: the new content goes into a file of its own in the same
  // folder first, which then takes the old file's place, so that a failed
  // write leaves the old file whole. The file keeps the name it has on disk.
  WIN32_FIND_DATAA existing{};
  {
    FindHandle search(FindFirstFileA(path.c_str(), &existing));
    if (!search) return false;
  }
  if ((existing.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY)) != 0) {
    return false;
  }
  const std::string folder = FolderOf(path);
  const std::string target = folder + existing.cFileName;
  for (int attempt = 0; attempt < 100; ++attempt) {
    const std::string temporary = folder + ".~merkwandel-" + std::to_string(GetCurrentProcessId()) +
                                  "-" + std::to_string(++temporaryCounter_) + ".tmp";
    const Created created = WriteNewFile(temporary, content);
    if (created == Created::kExists) continue;
    if (created == Created::kFailed) return false;
    if (MoveFileExA(temporary.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING)) return true;
    DeleteFileA(temporary.c_str());
    return false;
  }
  return false;
}

std::string Win32FileSystem::CurrentDirectory() {
  const DWORD needed = GetCurrentDirectoryA(0, nullptr);
  if (needed == 0) return std::string();
  std::string directory(needed, '\0');
  const DWORD length = GetCurrentDirectoryA(needed, directory.data());
  if (length == 0 || length >= needed) return std::string();
  directory.resize(length);
  const bool driveRoot = directory.size() == 3 && directory[1] == ':';
  if (directory.size() > 1 && directory.back() == '\\' && !driveRoot) directory.pop_back();
  return directory;
}

}  // namespace merkwandel::platform::win32
