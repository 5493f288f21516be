// ReadRegistryValue and the registry area against the real Windows registry:
// each test writes its values under a key of its own below
// HKEY_CURRENT_USER and removes it again.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <variant>

#include "platform/win32/tests/registry_test_key.h"
#include "platform/win32/win32_registry.h"
#include "system/registry.h"

namespace merkwandel::testing {
namespace {

using namespace std::string_literals;
using platform::kHkeyCurrentUser;
using system_helpers::ReadRegistryValue;
using system_helpers::RegistryValue;

const RegistryValue kBefore = "vorher"s;

class Win32RegistryTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(key_.Created()); }
  void TearDown() override { EXPECT_EQ(registry_.OpenKeys(), 0u); }

  void Store(const std::string& name, std::uint32_t type, const std::string& bytes) {
    ASSERT_TRUE(key_.Set(name, type, bytes)) << name;
  }
  bool Read(const std::string& name) {
    return ReadRegistryValue(registry_, kHkeyCurrentUser, key_.Path(), name, value_);
  }
  platform::win32::RegistryTestKey key_;
  platform::win32::Win32Registry registry_;
  RegistryValue value_ = kBefore;
};

// UTF-16 text as the registry stores it: little-endian code units.
std::string Units(std::u16string_view text) {
  std::string bytes;
  for (const char16_t unit : text) {
    bytes.push_back(static_cast<char>(unit & 0xFF));
    bytes.push_back(static_cast<char>(unit >> 8));
  }
  return bytes;
}

struct TypeCase {
  const char* name;
  std::uint32_t type;
  std::string bytes;
  // A text in UTF-8: the stored units, then the reader's blank. Otherwise
  // the number delivered (kBefore: nothing).
  RegistryValue delivered;
  friend void PrintTo(const TypeCase& c, std::ostream* os) { *os << c.name; }
};

class Win32ReadByTypeTest : public Win32RegistryTest,
                            public ::testing::WithParamInterface<TypeCase> {};

TEST_P(Win32ReadByTypeTest, DeliversWhatTheTypeGives) {
  const auto& c = GetParam();
  Store("Wert", c.type, c.bytes);
  ASSERT_TRUE(Read("Wert"));
  EXPECT_EQ(value_, c.delivered);
}

INSTANTIATE_TEST_SUITE_P(
    Types, Win32ReadByTypeTest,
    ::testing::Values(
        TypeCase{"Sz", 1, Units(u"abc\0"s), "abc\0 "s},
        TypeCase{"SzInSeveralScripts", 1, Units(u"C:\\Закладки Łódź\\Ελληνικά 書籤 😀\0"s),
                 "C:\\Закладки Łódź\\Ελληνικά 書籤 😀\0 "s},
        TypeCase{"SzEmpty", 1, Units(u"\0"s), "\0 "s},
        TypeCase{"ExpandSzNotExpanded", 2, Units(u"%SystemRoot%\\x\0"s), "%SystemRoot%\\x\0 "s},
        TypeCase{"MultiSz", 7, Units(u"eins\0zwei\0\0"s), "eins\0zwei\0\0 "s},
        TypeCase{"Dword", 4, "\x78\x56\x34\x12"s, std::int32_t{0x12345678}},
        TypeCase{"DwordAllOnesIsMinusOne", 4, "\xFF\xFF\xFF\xFF"s, std::int32_t{-1}},
        TypeCase{"BinaryTwoBytes", 3, "\x01\x02"s, std::int32_t{513}},
        TypeCase{"BinaryEmpty", 3, ""s, std::int32_t{0}},
        TypeCase{"None", 0, "\x01"s, kBefore},
        TypeCase{"Qword", 11, "\x01\0\0\0\0\0\0\0"s, kBefore}),
    [](const auto& param) { return std::string(param.param.name); });

TEST_F(Win32RegistryTest, FailuresLeaveTheValue) {
  Store("Lang", 3, "12345");
  EXPECT_FALSE(Read("Lang"));  // a binary longer than 4 bytes
  EXPECT_FALSE(Read("Fehlt"));
  EXPECT_FALSE(ReadRegistryValue(registry_, kHkeyCurrentUser, key_.Path() + "\\Fehlt", "Wert",
                                 value_));
  EXPECT_EQ(value_, kBefore);
}

TEST_F(Win32RegistryTest, ReadsTheShellFolders) {
  ASSERT_TRUE(ReadRegistryValue(registry_, kHkeyCurrentUser,
                                "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders",
                                "AppData", value_));
  const auto* text = std::get_if<std::string>(&value_);
  ASSERT_NE(text, nullptr);
  EXPECT_NE(text->find('\0'), std::string::npos);
  EXPECT_EQ(text->substr(1, 2), ":\\");
}

TEST(Win32PredefinedKeyTest, IsSignExtended) {
  const std::uintptr_t currentUser = platform::win32::PredefinedKeyHandle(kHkeyCurrentUser);
  if (sizeof currentUser == 8) {
    EXPECT_EQ(static_cast<std::uint64_t>(currentUser), 0xFFFFFFFF80000001u);
  } else {
    EXPECT_EQ(currentUser, 0x80000001u);
  }
}

// The calls behind the area answer as the host registry models them; names
// in any script, their letter case ignored.
TEST_F(Win32RegistryTest, AnswersQueriesAsTheHostRegistryModelsThem) {
  Store("Значение", 1, Units(u"abcdef\0"s));
  platform::RegistryKey key = 0;
  ASSERT_EQ(registry_.OpenKey(kHkeyCurrentUser, key_.Path(), 0, 0x19, key), 0);
  EXPECT_EQ(registry_.OpenKeys(), 1u);

  std::uint32_t type = 0;
  EXPECT_EQ(registry_.QueryValue(key, "ЗНАЧЕНИЕ", &type, nullptr, nullptr), 0);
  EXPECT_EQ(type, platform::kRegSz);
  unsigned char data[16];
  std::fill(std::begin(data), std::end(data), '-');
  std::uint32_t size = 3;
  EXPECT_EQ(registry_.QueryValue(key, "Значение", nullptr, data, &size), platform::kErrorMoreData);
  EXPECT_GE(size, 14u);
  size = sizeof data;
  EXPECT_EQ(registry_.QueryValue(key, "Значение", nullptr, data, &size), 0);
  EXPECT_EQ(size, 14u);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(data), sizeof data), Units(u"abcdef\0"s) + "--");
  EXPECT_EQ(registry_.QueryValue(key, "Fehlt", nullptr, nullptr, &size),
            platform::kErrorFileNotFound);

  EXPECT_EQ(registry_.CloseKey(key), 0);
  EXPECT_EQ(registry_.CloseKey(key), platform::kErrorInvalidHandle);
  EXPECT_EQ(registry_.OpenKey(kHkeyCurrentUser, key_.Path() + "\\Fehlt", 0, 0x19, key),
            platform::kErrorFileNotFound);
}

}  // namespace
}  // namespace merkwandel::testing
