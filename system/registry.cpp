#include "system/registry.h"

#include <exception>

#include "platform/common/unicode.h"

namespace merkwandel::system_helpers {
namespace {

// Asked for on open: KEY_QUERY_VALUE | KEY_ENUMERATE_SUB_KEYS | KEY_NOTIFY.
constexpr std::uint32_t kReadAccess = 0x19;

// Closes an open key when it goes, whichever way the read ends.
class OpenKey {
 public:
  OpenKey(platform::Registry& registry, platform::RegistryKey key)
      : registry_(registry), key_(key) {}
  ~OpenKey() { registry_.CloseKey(key_); }
  OpenKey(const OpenKey&) = delete;
  OpenKey& operator=(const OpenKey&) = delete;

  std::int32_t Query(const std::string& name, std::uint32_t* type, unsigned char* data,
                     std::uint32_t* size) {
    return registry_.QueryValue(key_, name, type, data, size);
  }

 private:
  platform::Registry& registry_;
  platform::RegistryKey key_;
};

}  // namespace

bool ReadRegistryValue(platform::Registry& registry, std::uint32_t rootKey,
                       const std::string& keyPath, const std::string& valueName,
                       RegistryValue& value) {
  platform::RegistryKey handle = 0;
  if (registry.OpenKey(rootKey, keyPath, 0, kReadAccess, handle) != platform::kErrorSuccess) {
    return false;
  }
  OpenKey key(registry, handle);

  std::uint32_t type = 0;
  std::uint32_t size = 0;
  if (key.Query(valueName, &type, nullptr, &size) != platform::kErrorSuccess) return false;

  switch (type) {
    case platform::kRegSz:
    case platform::kRegExpandSz:
    case platform::kRegMultiSz: {
      // A buffer of UTF-16 units, every one a blank, one unit more than the
      // registry may fill, so the text always ends in at least one blank.
      // The units are kept as the registry writes them: little-endian bytes.
      const std::size_t units = (std::size_t{size} + 1) / 2 + 1;
      try {
        std::string bytes;
        bytes.reserve(2 * units);
        for (std::size_t k = 0; k < units; ++k) bytes.append(" \0", 2);
        std::uint32_t capacity = size;
        if (key.Query(valueName, nullptr, reinterpret_cast<unsigned char*>(bytes.data()),
                      &capacity) != platform::kErrorSuccess) {
          return false;
        }
        // The whole buffer: the value's own zero becomes a zero character.
        std::u16string text(units, u' ');
        for (std::size_t k = 0; k < units; ++k) {
          text[k] = static_cast<char16_t>(static_cast<unsigned char>(bytes[2 * k]) |
                                          (static_cast<unsigned char>(bytes[2 * k + 1]) << 8));
        }
        value = unicode::FromUtf16(text);
        return true;
      } catch (const std::exception&) {  // no memory for the buffer: can't be read
        return false;
      }
    }
    case platform::kRegBinary:
    case platform::kRegDword: {
      unsigned char bytes[4] = {0, 0, 0, 0};
      std::uint32_t capacity = sizeof bytes;
      if (key.Query(valueName, nullptr, bytes, &capacity) != platform::kErrorSuccess) return false;
      const std::uint32_t number = bytes[0] | (std::uint32_t{bytes[1]} << 8) |
                                   (std::uint32_t{bytes[2]} << 16) |
                                   (std::uint32_t{bytes[3]} << 24);
      value = static_cast<std::int32_t>(number);
      return true;
    }
    default:
      return true;
  }
}

}  // namespace merkwandel::system_helpers
