// Text at the Windows boundary: the program's UTF-8 as the UTF-16 of the
// wide calls, and back.
#pragma once

#include <string>
#include <string_view>

#include "platform/common/unicode.h"

namespace merkwandel::platform::win32 {

// The wide calls take wchar_t, which Windows defines as one UTF-16 code unit.
static_assert(sizeof(wchar_t) == sizeof(char16_t), "wchar_t is a UTF-16 code unit on Windows");

// A byte that is not part of valid UTF-8 becomes U+FFFD.
inline std::wstring Wide(std::string_view utf8) {
  const std::u16string units = unicode::ToUtf16(utf8);
  return std::wstring(units.begin(), units.end());
}

// An unpaired surrogate becomes U+FFFD.
inline std::string Utf8(std::wstring_view wide) {
  return unicode::FromUtf16(std::u16string(wide.begin(), wide.end()));
}

}  // namespace merkwandel::platform::win32
