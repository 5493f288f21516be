#include "platform/win32/tests/win32_fixture.h"

#include <algorithm>
#include <stdexcept>

#include "platform/win32/handles.h"
#include "platform/win32/wide.h"

namespace merkwandel::testing {

using platform::win32::FindHandle;
using platform::win32::KernelHandle;
using platform::win32::Utf8;
using platform::win32::Wide;

namespace {

// Calls `each` with the name and attributes of every entry in `folder`.
template <typename Each>
void ForEntries(const std::string& folder, Each each) {
  WIN32_FIND_DATAW found{};
  FindHandle search(FindFirstFileW(Wide(folder + "\\*").c_str(), &found));
  if (!search) return;
  do {
    const std::string name = Utf8(found.cFileName);
    if (name != "." && name != "..") each(name, found.dwFileAttributes);
  } while (FindNextFileW(search.get(), &found));
}

}  // namespace

void RemoveTree(const std::string& folder) {
  ForEntries(folder, [&](const std::string& name, DWORD attributes) {
    const std::wstring path = Wide(folder + "\\" + name);
    SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
      RemoveTree(folder + "\\" + name);
    } else {
      DeleteFileW(path.c_str());
    }
  });
  RemoveDirectoryW(Wide(folder).c_str());
}

void MakeFile(const std::string& path, const std::string& bytes, DWORD attributes) {
  {
    KernelHandle file(CreateFileW(Wide(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) throw std::runtime_error("cannot create " + path);
    DWORD written = 0;
    if (!bytes.empty() &&
        !WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr)) {
      throw std::runtime_error("cannot write " + path);
    }
  }
  if (attributes != 0) SetFileAttributesW(Wide(path).c_str(), attributes);
}

std::string ReadFileBytes(const std::string& path) {
  KernelHandle file(CreateFileW(Wide(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
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
  if (!CreateDirectoryW(Wide(path).c_str(), nullptr)) throw std::runtime_error("cannot create " + path);
}

std::vector<std::string> NamesIn(const std::string& folder) {
  std::vector<std::string> names;
  ForEntries(folder, [&](const std::string& name, DWORD) { names.push_back(name); });
  std::sort(names.begin(), names.end());
  return names;
}

Win32Fixture::Win32Fixture() {
  wchar_t temp[MAX_PATH + 1];
  const DWORD length = GetTempPathW(MAX_PATH + 1, temp);
  if (length == 0 || length > MAX_PATH) throw std::runtime_error("no temporary folder");
  static unsigned counter = 0;
  root_ = Utf8(std::wstring_view(temp, length)) + "merkwandel-test-" +
          std::to_string(GetCurrentProcessId()) + "-" + std::to_string(++counter);
  RemoveTree(root_);
  MakeFolder(root_);
}

Win32Fixture::~Win32Fixture() { RemoveTree(root_); }

}  // namespace merkwandel::testing
