#include "platform/win32/win32_file_system.h"

#include <windows.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <string_view>
#include <vector>

#include "platform/common/windows_path.h"
#include "platform/win32/handles.h"
#include "platform/win32/wide.h"

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
  std::optional<std::uint64_t> Size() override {
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file_.get(), &size)) return std::nullopt;
    return static_cast<std::uint64_t>(size.QuadPart);
  }

 private:
  KernelHandle file_;
};

// Opens a file with CreateFileW; only a file on a disk counts (a device name
// such as CON or COM1 opens a device, which the program must not read from
// or write to).
KernelHandle OpenDiskFile(const std::wstring& path, DWORD access, DWORD share, DWORD disposition,
                          DWORD flags) {
  KernelHandle file(CreateFileW(path.c_str(), access, share, nullptr, disposition, flags, nullptr));
  if (file && GetFileType(file.get()) != FILE_TYPE_DISK) file.Reset();
  return file;
}

bool IsFolder(const std::wstring& path) {
  const DWORD attributes = GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
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
Created WriteNewFile(const std::wstring& path, std::string_view content) {
  KernelHandle file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) {
    const DWORD error = GetLastError();
    return error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS ? Created::kExists
                                                                       : Created::kFailed;
  }
  if (GetFileType(file.get()) != FILE_TYPE_DISK) return Created::kFailed;  // a device, not a file
  const bool written = WriteAll(file.get(), content);
  if (file.Reset() && written) return Created::kWritten;
  DeleteFileW(path.c_str());
  return Created::kFailed;
}

// The folder part of a path, up to and including its last separator.
std::wstring FolderOf(const std::wstring& path) {
  const auto last = path.find_last_of(L"\\/");
  return last == std::wstring::npos ? std::wstring() : path.substr(0, last + 1);
}

// Where the folders that can be made begin: behind the drive ("C:") and the
// root's "\", or behind "\\server\share\" of a network path.
std::size_t RootLength(const std::wstring& path) {
  if (path.rfind(L"\\\\", 0) == 0) {
    const auto server = path.find(L'\\', 2);
    const auto share = server == std::wstring::npos ? server : path.find(L'\\', server + 1);
    return share == std::wstring::npos ? path.size() : share + 1;
  }
  std::size_t at = path.size() >= 2 && path[1] == L':' ? 2 : 0;
  while (at < path.size() && path[at] == L'\\') ++at;
  return at;
}

}  // namespace

bool Win32FileSystem::SearchFindsEntry(const std::string& path) {
  WIN32_FIND_DATAW found{};
  FindHandle search(FindFirstFileW(Wide(path).c_str(), &found));
  return search.valid();
}

std::optional<std::uint32_t> Win32FileSystem::Attributes(const std::string& path) {
  const DWORD attributes = GetFileAttributesW(Wide(path).c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return std::nullopt;
  return static_cast<std::uint32_t>(attributes);
}

std::optional<std::int64_t> Win32FileSystem::LastWriteTime(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  if (!GetFileAttributesExW(Wide(path).c_str(), GetFileExInfoStandard, &data)) return std::nullopt;
  return static_cast<std::int64_t>(ULARGE_INTEGER{{data.ftLastWriteTime.dwLowDateTime,
                                                   data.ftLastWriteTime.dwHighDateTime}}.QuadPart);
}

bool Win32FileSystem::MakeSureDirectoryPathExists(const std::string& path) {
  // Each part up to a "\" is a folder to make; what follows the last "\" is
  // a file's name and is not made. A folder that is there already is fine
  // (so is the part up to a doubled "\"), a file in its place is not.
  const std::wstring wide = Wide(path);
  for (auto end = wide.find(L'\\', RootLength(wide)); end != std::wstring::npos;
       end = wide.find(L'\\', end + 1)) {
    // Windows makes no folder longer than MAX_PATH - 12 units (room for an
    // 8.3 name); checked here as well, as Wine does not. The folders along
    // the path before it stay made.
    if (end > winpath::kMaxFolderPath) {
      SetLastError(ERROR_FILENAME_EXCED_RANGE);
      return false;
    }
    const std::wstring folder = wide.substr(0, end);
    if (CreateDirectoryW(folder.c_str(), nullptr)) continue;
    const DWORD error = GetLastError();
    if (IsFolder(folder)) continue;
    SetLastError(error);
    return false;
  }
  return true;
}

std::optional<std::vector<std::string>> Win32FileSystem::List(const std::string& folder,
                                                              bool folders) {
  if (folder.empty()) return std::nullopt;
  const bool separated = folder.back() == '\\' || folder.back() == '/';
  const std::wstring wide = Wide(folder);
  WIN32_FIND_DATAW found{};
  FindHandle search(FindFirstFileW((wide + (separated ? L"*" : L"\\*")).c_str(), &found));
  std::vector<std::string> names;
  if (!search) {
    // An empty drive root has no "." and ".." and so no entry at all.
    const DWORD error = GetLastError();
    if (IsFolder(wide) && (error == ERROR_FILE_NOT_FOUND || error == ERROR_NO_MORE_FILES)) {
      return names;
    }
    return std::nullopt;
  }
  do {
    const std::wstring_view name = found.cFileName;
    if (name == L"." || name == L"..") continue;
    const bool isFolder = (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    if (isFolder == folders) names.push_back(Utf8(name));
  } while (FindNextFileW(search.get(), &found));
  if (GetLastError() != ERROR_NO_MORE_FILES) return std::nullopt;
  return names;
}

std::optional<std::vector<std::string>> Win32FileSystem::ListSubfolders(const std::string& folder) {
  return List(folder, true);
}

std::optional<std::vector<std::string>> Win32FileSystem::ListFiles(const std::string& folder) {
  return List(folder, false);
}

namespace {
// Sharing all: whoever holds the file open (a browser its bookmark file,
// Firefox its database) may go on reading, writing, deleting or replacing
// it while it is read.
KernelHandle OpenShared(const std::string& path) {
  return OpenDiskFile(Wide(path), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN);
}
}  // namespace

std::unique_ptr<InputFile> Win32FileSystem::OpenForReading(const std::string& path) {
  KernelHandle file = OpenShared(path);
  if (!file) return nullptr;
  return std::make_unique<Win32InputFile>(std::move(file));
}

bool Win32FileSystem::WriteWholeFile(const std::string& path, std::string_view content) {
  if (path.empty() || path.back() == '\\' || path.back() == '/') return false;
  const std::wstring wide = Wide(path);
  // MAX_PATH, which Windows applies to the program and Wine does not.
  if (wide.size() > winpath::kMaxPath) return false;
  switch (WriteNewFile(wide, content)) {
    case Created::kWritten: return true;
    case Created::kFailed: return false;
    case Created::kExists: break;
  }

  // Replacing: the new content goes into a file of its own in the same
  // folder first, which then takes the old file's place, so that a failed
  // write leaves the old file whole. The file keeps the name it has on disk
  // (the file system found it under any letter case, in every script).
  WIN32_FIND_DATAW existing{};
  {
    FindHandle search(FindFirstFileW(wide.c_str(), &existing));
    if (!search) return false;
  }
  if ((existing.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY)) != 0) {
    return false;
  }
  const std::wstring folder = FolderOf(wide);
  const std::wstring target = folder + existing.cFileName;
  for (int attempt = 0; attempt < 100; ++attempt) {
    const std::wstring temporary = folder + L".~merkwandel-" +
                                   std::to_wstring(GetCurrentProcessId()) + L"-" +
                                   std::to_wstring(++temporaryCounter_) + L".tmp";
    const Created created = WriteNewFile(temporary, content);
    if (created == Created::kExists) continue;
    if (created == Created::kFailed) return false;
    if (MoveFileExW(temporary.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING)) return true;
    DeleteFileW(temporary.c_str());
    return false;
  }
  return false;
}

std::string Win32FileSystem::CurrentDirectory() {
  const DWORD needed = GetCurrentDirectoryW(0, nullptr);
  if (needed == 0) return std::string();
  std::wstring directory(needed, L'\0');
  const DWORD length = GetCurrentDirectoryW(needed, directory.data());
  if (length == 0 || length >= needed) return std::string();
  directory.resize(length);
  const bool driveRoot = directory.size() == 3 && directory[1] == L':';
  if (directory.size() > 1 && directory.back() == L'\\' && !driveRoot) directory.pop_back();
  return Utf8(directory);
}

namespace {

// Temporary folders are named this and six letters or digits.
constexpr std::wstring_view kTemporaryPrefix = L"merkwandel-places-";

// The paths of the files directly in `folder`.
std::vector<std::wstring> FilesIn(const std::wstring& folder) {
  std::vector<std::wstring> files;
  WIN32_FIND_DATAW found{};
  FindHandle search(FindFirstFileW((folder + L"\\*").c_str(), &found));
  if (!search) return files;
  do {
    if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) files.push_back(folder + L"\\" + found.cFileName);
  } while (FindNextFileW(search.get(), &found));
  return files;
}

// Deletes the files `files`, read-only ones too.
void DeleteFiles(const std::vector<std::wstring>& files) {
  for (const auto& file : files) {
    const DWORD attributes = GetFileAttributesW(file.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0) {
      SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_NORMAL);
    }
    DeleteFileW(file.c_str());
  }
}

// Opens the folder itself (a link, not what it points to).
KernelHandle OpenFolder(const std::wstring& folder, DWORD access, DWORD share) {
  return KernelHandle(CreateFileW(folder.c_str(), access, share, nullptr, OPEN_EXISTING,
                                  FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
}

// Removes the temporary folders in `base` that runs before left behind: those
// of that name that no one holds open. Each is held for deleting while its
// files go, so that a run that made it just now can't take it; files are put
// in a folder only once it is held, so those listed before are all left
// behind. (Listing needs a folder not held for deleting.)
void RemoveLeftoverFolders(const std::wstring& base) {
  std::vector<std::wstring> folders;
  {
    WIN32_FIND_DATAW found{};
    FindHandle search(FindFirstFileW((base + std::wstring(kTemporaryPrefix) + L"*").c_str(), &found));
    if (!search) return;
    do {
      const std::wstring_view name = found.cFileName;
      if (name.size() == kTemporaryPrefix.size() + 6 && (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0 &&
          (found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0) {
        folders.push_back(base + found.cFileName);
      }
    } while (FindNextFileW(search.get(), &found));
  }
  for (const auto& folder : folders) {
    const auto files = FilesIn(folder);
    KernelHandle held = OpenFolder(folder, DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE);
    if (!held) continue;  // in use
    DeleteFiles(files);
    held.Reset();
    RemoveDirectoryW(folder.c_str());
  }
}

}  // namespace

std::optional<std::string> Win32FileSystem::MakeTemporaryFolder() {
  const DWORD needed = GetTempPathW(0, nullptr);
  if (needed == 0) return std::nullopt;
  std::wstring base(needed, L'\0');
  const DWORD length = GetTempPathW(needed, base.data());
  if (length == 0 || length >= needed) return std::nullopt;
  base.resize(length);
  if (base.back() != L'\\') base.push_back(L'\\');
  RemoveLeftoverFolders(base);
  for (int attempt = 0; attempt < 20; ++attempt) {
    std::uint32_t mix = GetCurrentProcessId() * 2654435761u ^ GetTickCount() ^ ++temporaryCounter_ * 40503u;
    std::wstring folder = base + std::wstring(kTemporaryPrefix);
    for (int digit = 0; digit < 6; ++digit, mix /= 36) folder.push_back(L"0123456789abcdefghijklmnopqrstuvwxyz"[mix % 36]);
    if (!CreateDirectoryW(folder.c_str(), nullptr)) {
      if (GetLastError() == ERROR_ALREADY_EXISTS) continue;
      return std::nullopt;
    }
    // Held before anyone can remove it as left behind; if someone is
    // removing it, it can't be held and goes.
    KernelHandle held = OpenFolder(folder, FILE_LIST_DIRECTORY, FILE_SHARE_READ | FILE_SHARE_WRITE);
    if (!held) continue;
    std::string path = Utf8(folder);
    temporaryFolders_.insert_or_assign(path, std::move(held));
    return path;
  }
  return std::nullopt;
}

bool Win32FileSystem::CopySharedFile(const std::string& from, const std::string& to) {
  const KernelHandle source = OpenShared(from);
  if (!source) return false;
  const std::wstring target = Wide(to);
  KernelHandle copy(CreateFileW(target.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!copy) return false;  // not made, so nothing to remove (it may be another's file)
  bool copied = GetFileType(copy.get()) == FILE_TYPE_DISK;
  std::array<char, 1 << 16> buffer;
  while (copied) {
    DWORD read = 0;
    if (!ReadFile(source.get(), buffer.data(), static_cast<DWORD>(buffer.size()), &read, nullptr)) {
      copied = false;
    } else if (read == 0) {
      break;
    } else {
      copied = WriteAll(copy.get(), std::string_view(buffer.data(), read));
    }
  }
  if (copy.Reset() && copied) return true;
  DeleteFileW(target.c_str());
  return false;
}

bool Win32FileSystem::RemoveFolderAndFiles(const std::string& folder) {
  temporaryFolders_.erase(folder);  // no longer held: it goes
  std::wstring path = Wide(folder);
  while (path.size() > 1 && (path.back() == L'\\' || path.back() == L'/')) path.pop_back();
  // Never the files of a drive root or of a drive's current folder.
  if (path.empty() || path.back() == L':' || path == L"\\" || path.find_first_of(L"*?") != path.npos) {
    return false;
  }
  const DWORD attributes = GetFileAttributesW(path.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
    return false;  // a file
  }
  // A link to a folder goes by itself; what it points to stays.
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0) {
    DeleteFiles(FilesIn(path));
  }
  RemoveDirectoryW(path.c_str());
  if (GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES) return false;
  const DWORD error = GetLastError();
  return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
}

}  // namespace merkwandel::platform::win32
