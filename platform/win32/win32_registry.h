// The registry area on Windows: RegOpenKeyExW, RegQueryValueExW and
// RegCloseKey of advapi32.
#pragma once

#include <cstddef>
#include <set>

#include "platform/platform.h"

namespace merkwandel::platform::win32 {

// The handle value of a predefined key such as HKEY_CURRENT_USER
// (0x80000001): the 32-bit value sign-extended, as windows.h defines them, so
// that 64-bit Windows sees 0xFFFFFFFF80000001. (Wine accepts either form;
// Windows does not.)
std::uintptr_t PredefinedKeyHandle(std::uint32_t root);

// Every key it opens stays its own until CloseKey; a key still open when the
// registry object goes is closed then. Queries and closes are answered only
// for keys it opened and has not closed (ERROR_INVALID_HANDLE otherwise), so
// a key handle that Windows has since given out again can't be hit.
class Win32Registry final : public Registry {
 public:
  Win32Registry() = default;
  ~Win32Registry() override;
  Win32Registry(const Win32Registry&) = delete;
  Win32Registry& operator=(const Win32Registry&) = delete;

  // Keys opened and not yet closed.
  std::size_t OpenKeys() const { return open_.size(); }

  std::int32_t OpenKey(std::uint32_t root, const std::string& subKey, std::uint32_t options,
                       std::uint32_t access, RegistryKey& key) override;
  std::int32_t QueryValue(RegistryKey key, const std::string& name, std::uint32_t* type,
                          unsigned char* data, std::uint32_t* size) override;
  std::int32_t CloseKey(RegistryKey key) override;

 private:
  std::set<RegistryKey> open_;
};

}  // namespace merkwandel::platform::win32
