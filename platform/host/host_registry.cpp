#include "platform/host/host_registry.h"

#include <cstdio>
#include <cstring>

#include "platform/common/unicode.h"

namespace merkwandel::platform::host {
namespace {

constexpr std::int32_t kErrorKeyDeleted = 1018;

bool IsPredefinedRoot(std::uint32_t root) { return root >= 0x80000000u && root <= 0x80000006u; }

std::string Upper(const std::string& text) { return unicode::UpperCaseKey(text); }

std::string Hex(std::uint32_t number) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%x", number);
  return text;
}

}  // namespace

std::string HostRegistry::KeyId(std::uint32_t root, const std::string& path) {
  return Hex(root) + "\\" + Upper(path);
}

HostRegistry::Values& HostRegistry::KeyValues(std::uint32_t root, const std::string& path) {
  keys_[KeyId(root, "")];
  for (std::size_t end = path.find('\\'); end != std::string::npos; end = path.find('\\', end + 1)) {
    keys_[KeyId(root, path.substr(0, end))];
  }
  return keys_[KeyId(root, path)];
}

void HostRegistry::AddKey(std::uint32_t root, const std::string& path) { KeyValues(root, path); }

void HostRegistry::SetValue(std::uint32_t root, const std::string& path, const std::string& name,
                            std::uint32_t type, const std::string& bytes) {
  KeyValues(root, path)[Upper(name)] = Value{type, bytes};
}

std::string HostRegistry::Utf16Bytes(std::string_view utf8) {
  std::string bytes;
  for (const char16_t unit : unicode::ToUtf16(utf8)) {
    bytes.push_back(static_cast<char>(unit & 0xFF));
    bytes.push_back(static_cast<char>(unit >> 8));
  }
  return bytes;
}

std::int32_t HostRegistry::OpenKey(std::uint32_t root, const std::string& subKey,
                                   std::uint32_t /*options*/, std::uint32_t /*access*/, RegistryKey& key) {
  std::int32_t status = kErrorSuccess;
  if (!IsPredefinedRoot(root)) {
    status = kErrorInvalidHandle;
  } else if (!subKey.empty() && keys_.count(KeyId(root, subKey)) == 0) {
    status = kErrorFileNotFound;
  }
  if (status == kErrorSuccess) {
    key = nextKey_;
    nextKey_ += 4;
    open_[key] = KeyId(root, subKey);
  }
  return status;
}

std::int32_t HostRegistry::QueryValue(RegistryKey key, const std::string& name,
                                      std::uint32_t* type, unsigned char* data,
                                      std::uint32_t* size) {
  const std::optional<std::int32_t> forced =
      beforeQuery ? beforeQuery(name, data != nullptr) : std::nullopt;
  return forced ? *forced : Query(key, name, type, data, size);
}

std::int32_t HostRegistry::Query(RegistryKey key, const std::string& name, std::uint32_t* type,
                                 unsigned char* data, std::uint32_t* size) {
  const auto open = open_.find(key);
  if (open == open_.end()) return kErrorInvalidHandle;
  const auto values = keys_.find(open->second);
  if (values == keys_.end()) return kErrorKeyDeleted;
  if (data != nullptr && size == nullptr) return kErrorInvalidParameter;
  const auto value = values->second.find(Upper(name));
  if (value == values->second.end()) return kErrorFileNotFound;

  const std::string& bytes = value->second.bytes;
  if (type != nullptr) *type = value->second.type;
  if (size == nullptr) return kErrorSuccess;
  const std::uint32_t capacity = *size;
  *size = static_cast<std::uint32_t>(bytes.size());
  if (data == nullptr) return kErrorSuccess;
  if (bytes.size() > capacity) return kErrorMoreData;
  if (!bytes.empty()) std::memcpy(data, bytes.data(), bytes.size());
  return kErrorSuccess;
}

std::int32_t HostRegistry::CloseKey(RegistryKey key) {
  return open_.erase(key) == 1 ? kErrorSuccess : kErrorInvalidHandle;
}

}  // namespace merkwandel::platform::host
