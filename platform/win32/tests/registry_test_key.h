// For the Windows tests only: a key of their own under HKEY_CURRENT_USER,
// written through the Win32 API with values of any type and exact bytes, and
// removed with its values when the object goes. Kept here so that the tests
// need no Windows header themselves.
#pragma once

#include <cstdint>
#include <string>

namespace merkwandel::platform::win32 {

class RegistryTestKey {
 public:
  // Creates HKEY_CURRENT_USER\Software\Merkwandel-Test-<process id>-<n>.
  RegistryTestKey();
  ~RegistryTestKey();
  RegistryTestKey(const RegistryTestKey&) = delete;
  RegistryTestKey& operator=(const RegistryTestKey&) = delete;

  // True when the key was created.
  bool Created() const { return created_; }
  // The key's path below HKEY_CURRENT_USER.
  const std::string& Path() const { return path_; }

  // RegSetValueExW with exactly `bytes` (text types: UTF-16LE units) under
  // the UTF-8 `name`; true on success.
  bool Set(const std::string& name, std::uint32_t type, const std::string& bytes);

 private:
  std::string path_;
  bool created_ = false;
};

}  // namespace merkwandel::platform::win32
