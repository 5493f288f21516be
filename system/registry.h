// Module Registry: reads one named value under a registry key and hands it
// back as a text or a 32-bit number. Shows nothing and never fails towards
// the caller; every failure the registry reports comes back as false.
#pragma once

#include <cstdint>
#include <string>
#include <variant>

#include "platform/platform.h"

namespace merkwandel::system_helpers {

// What a read delivers: nothing yet, a text (UTF-8) or a 32-bit signed number.
using RegistryValue = std::variant<std::monostate, std::string, std::int32_t>;

// Opens `keyPath` below the predefined key `rootKey` and reads `valueName`.
//
// - REG_SZ, REG_EXPAND_SZ (not expanded) and REG_MULTI_SZ deliver the
//   UTF-8 form of a buffer of ceil(size / 2) + 1 UTF-16 units, size being
//   the value's size in bytes: the stored units, with the value's own
//   zero(s) where it has them, then blanks, at least one. Callers cut the
//   text at its first zero.
// - REG_BINARY and REG_DWORD deliver the first four bytes as a little-endian
//   signed number; shorter data fills only the low bytes. Longer data fails.
// - Any other type delivers nothing and still answers true.
//
// False when the key can't be opened or the value can't be read; `value` is
// then unchanged. The key is closed again on every way out.
bool ReadRegistryValue(platform::Registry& registry, std::uint32_t rootKey,
                       const std::string& keyPath, const std::string& valueName,
                       RegistryValue& value);

}  // namespace merkwandel::system_helpers
