#include "platform/win32/win32_registry.h"

#include <windows.h>

#include <new>

#include "platform/win32/wide.h"

namespace merkwandel::platform::win32 {
namespace {

HKEY ToHkey(RegistryKey key) { return reinterpret_cast<HKEY>(key); }

}  // namespace

std::uintptr_t PredefinedKeyHandle(std::uint32_t root) {
  return static_cast<ULONG_PTR>(static_cast<LONG_PTR>(static_cast<LONG>(root)));
}

Win32Registry::~Win32Registry() {
  for (const RegistryKey key : open_) RegCloseKey(ToHkey(key));
}

std::int32_t Win32Registry::OpenKey(std::uint32_t root, const std::string& subKey,
                                    std::uint32_t options, std::uint32_t access,
                                    RegistryKey& key) {
  HKEY opened = nullptr;
  const LONG status =
      RegOpenKeyExW(ToHkey(PredefinedKeyHandle(root)), Wide(subKey).c_str(), options, access, &opened);
  if (status != ERROR_SUCCESS) return status;
  const auto handle = reinterpret_cast<RegistryKey>(opened);
  try {
    open_.insert(handle);
  } catch (const std::bad_alloc&) {
    RegCloseKey(opened);
    return ERROR_NOT_ENOUGH_MEMORY;
  }
  key = handle;
  return ERROR_SUCCESS;
}

std::int32_t Win32Registry::QueryValue(RegistryKey key, const std::string& name,
                                       std::uint32_t* type, unsigned char* data,
                                       std::uint32_t* size) {
  if (open_.count(key) == 0) return ERROR_INVALID_HANDLE;
  // DWORD is unsigned long here; hand over and take back through locals.
  DWORD typeWord = type != nullptr ? *type : 0;
  DWORD sizeWord = size != nullptr ? *size : 0;
  // Texts come as the wide call gives them: UTF-16 code units.
  const LONG status = RegQueryValueExW(ToHkey(key), Wide(name).c_str(), nullptr,
                                       type != nullptr ? &typeWord : nullptr, data,
                                       size != nullptr ? &sizeWord : nullptr);
  if (type != nullptr) *type = typeWord;
  if (size != nullptr) *size = sizeWord;
  return status;
}

std::int32_t Win32Registry::CloseKey(RegistryKey key) {
  if (open_.erase(key) == 0) return ERROR_INVALID_HANDLE;
  return RegCloseKey(ToHkey(key));
}

}  // namespace merkwandel::platform::win32
