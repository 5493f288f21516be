// A fresh folder in the system's temporary folder for each test, removed
// with all it holds afterwards, and helpers that lay out files with the
// Windows API directly. Paths are UTF-8, as the program's are.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/win32/win32_file_system.h"

namespace merkwandel::testing {

void RemoveTree(const std::string& folder);  // folder without trailing "\"
void MakeFile(const std::string& path, const std::string& bytes, DWORD attributes = 0);
std::string ReadFileBytes(const std::string& path);  // "<missing>" when it can't be read
void MakeFolder(const std::string& path);
// The names in a folder, sorted, "." and ".." left out.
std::vector<std::string> NamesIn(const std::string& folder);

class Win32Fixture : public ::testing::Test {
 protected:
  Win32Fixture();
  ~Win32Fixture() override;
  // A path inside the test's folder; `relative` uses "\".
  std::string At(const std::string& relative) const { return root_ + "\\" + relative; }

  std::string root_;  // without trailing "\"
  platform::win32::Win32FileSystem files_;
};

}  // namespace merkwandel::testing
