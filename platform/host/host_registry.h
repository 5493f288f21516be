// The registry on the host backend: an in-memory tree of keys with typed
// values held as raw bytes (texts as the wide calls give them: UTF-16LE),
// loaded by the tests, and answering with the statuses and size rules of
// the Windows calls. Names of keys and values are UTF-8, and letter case
// does not tell them apart, in any script. It counts the keys that are
// open, and can be told to fail a query or to change a value between two
// queries.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>

#include "platform/platform.h"

namespace merkwandel::platform::host {

class HostRegistry final : public Registry {
 public:
  // Creates the key `path` below `root`, and every key above it. Existing
  // keys keep their values.
  void AddKey(std::uint32_t root, const std::string& path);
  // Stores a value with its type and exactly these bytes (a text's zero is
  // part of `bytes` only when the test puts it there), creating its key as
  // AddKey does. Replaces a value of the same name in any letter case.
  void SetValue(std::uint32_t root, const std::string& path, const std::string& name,
                std::uint32_t type, const std::string& bytes);
  // The UTF-16LE bytes of a text, as a text value holds them.
  static std::string Utf16Bytes(std::string_view utf8);

  // Keys opened and not yet closed.
  std::size_t OpenKeys() const { return open_.size(); }

  // Called at the start of every query with the value's name and whether a
  // buffer was given. It may change the registry (let a value grow between
  // the size query and the data query); a status it returns is answered
  // instead of the query's own.
  std::function<std::optional<std::int32_t>(const std::string& name, bool withData)> beforeQuery;

  std::int32_t OpenKey(std::uint32_t root, const std::string& subKey, std::uint32_t options,
                       std::uint32_t access, RegistryKey& key) override;
  std::int32_t QueryValue(RegistryKey key, const std::string& name, std::uint32_t* type,
                          unsigned char* data, std::uint32_t* size) override;
  std::int32_t CloseKey(RegistryKey key) override;

 private:
  struct Value {
    std::uint32_t type = kRegNone;
    std::string bytes;
  };
  // Keys by root and path, values by name, both under upper-case keys.
  using Values = std::map<std::string, Value>;
  static std::string KeyId(std::uint32_t root, const std::string& path);
  Values& KeyValues(std::uint32_t root, const std::string& path);
  std::int32_t Query(RegistryKey key, const std::string& name, std::uint32_t* type,
                     unsigned char* data, std::uint32_t* size);

  std::map<std::string, Values> keys_;
  std::map<RegistryKey, std::string> open_;  // open key -> its KeyId
  RegistryKey nextKey_ = 0x100;
};

}  // namespace merkwandel::platform::host
