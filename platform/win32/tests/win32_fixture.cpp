#include "platform/win32/tests/win32_fixture.h"

#include <algorithm>
#include <stdexcept>

#include "platform/win32/handles.h"

namespace merkwandel::testing {

using platform::win32::FindHandle;
using platform::win32::KernelHandle;

void RemoveTree(const std::string& folder) {
  WIN32_FIND_DATAA found{};
  {
    FindHandle search(FindFirstFileA((folder + "\\*").c_str(), &found));
    if (search) {
      do {
        const std::string name = found.cFileName;
        if (name == "." || name == "..") continue;
        const std::string path = folder + "\\" + name;
        SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
          RemoveTree(path);
        } else {
          DeleteFileA(path.c_str());
        }
      } while (FindNextFileA(search.get(), &found));
    }
  }
  RemoveDirectoryA(folder.c_str());
}

void MakeFile(const std::string& path, const std::string& bytes, DWORD attributes) {
  {
    KernelHandle file(CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) throw std::runtime_error("cannot create " + path);
    DWORD written = 0;
    if (!bytes.empty() &&
        !WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr)) {
      throw std::runtime_error("cannot write " + path);
    }
  }
  if (attributes != 0) SetFileAttributesA(path.c_str(), attributes);
}

std::string ReadFileBytes(const std::string& path) {
  KernelHandle file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return "<missing>";
  std::string bytes;
  char buffer[4096];
  DWORD read = 0;
  while (ReadFile(file.get(), buffer, sizeof buffer, &read, nullptr) && read > 0) {
    bytes.append(buffer, read);
  }
  return bytes;
}

void MakeFolder(const std::string& path) {
  if (!CreateDirectoryA(path.c_str(), nullptr)) throw std::runtime_error("cannot create " + path);
}

std::vector<std::string> NamesIn(const std::string& folder) {
  std::vector<std::string> names;
  WIN32_FIND_DATAA found{};
  FindHandle search(FindFirstFileA((folder + "\\*").c_str(), &found));
  if (!search) return names;
  do {
    const std::string name = found.cFileName;
    if (name != "." && name != "..") names.push_back(name);
  } while (FindNextFileA(search.get(), &found));
  std::sort(names.begin(), names.end());
  return names;
}

Win32Fixture::Win32Fixture() {
  char temp[MAX_PATH + 1];
  const DWORD length = GetTempPathA(sizeof temp, temp);
  if (length == 0 || length > MAX_PATH) throw std::runtime_error("no temporary folder");
  static unsigned counter = 0;
  root_ = std::string(temp) + "merkwandel-test-" + std::to_string(GetCurrentProcessId()) + "-" +
          std::to_string(++counter);
  RemoveTree(root_);
  MakeFolder(root_);
}

Win32Fixture::~Win32Fixture() { RemoveTree(root_); }

}  // namespace merkwandel::testing
