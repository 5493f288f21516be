#include "platform/win32/tests/registry_test_key.h"

#include <windows.h>

#include "platform/win32/wide.h"

namespace merkwandel::platform::win32 {
namespace {

// An HKEY that closes itself.
class Key {
 public:
  Key() = default;
  ~Key() {
    if (key_ != nullptr) RegCloseKey(key_);
  }
  Key(const Key&) = delete;
  Key& operator=(const Key&) = delete;
  HKEY* Out() { return &key_; }
  HKEY Get() const { return key_; }

 private:
  HKEY key_ = nullptr;
};

}  // namespace

RegistryTestKey::RegistryTestKey() {
  static unsigned counter = 0;
  path_ = "Software\\Merkwandel-Test-" + std::to_string(GetCurrentProcessId()) + "-" +
          std::to_string(++counter);
  Key key;
  created_ = RegCreateKeyExW(HKEY_CURRENT_USER, Wide(path_).c_str(), 0, nullptr, REG_OPTION_VOLATILE,
                             KEY_WRITE, nullptr, key.Out(), nullptr) == ERROR_SUCCESS;
}

RegistryTestKey::~RegistryTestKey() {
  if (!created_) return;
  // Values go with the key; the tests make no sub-keys.
  RegDeleteKeyW(HKEY_CURRENT_USER, Wide(path_).c_str());
}

bool RegistryTestKey::Set(const std::string& name, std::uint32_t type, const std::string& bytes) {
  Key key;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, Wide(path_).c_str(), 0, KEY_SET_VALUE, key.Out()) !=
      ERROR_SUCCESS) {
    return false;
  }
  return RegSetValueExW(key.Get(), Wide(name).c_str(), 0, type,
                        reinterpret_cast<const BYTE*>(bytes.data()),
                        static_cast<DWORD>(bytes.size())) == ERROR_SUCCESS;
}

}  // namespace merkwandel::platform::win32
