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
  // The size the registry reports for a value, by a size query of its own.
  std::uint32_t ReportedSize(const std::string& name) {
    platform::RegistryKey key = 0;
    EXPECT_EQ(registry_.OpenKey(kHkeyCurrentUser, key_.Path(), 0, 0x19, key), 0);
    std::uint32_t size = 0;
    EXPECT_EQ(registry_.QueryValue(key, name, nullptr, nullptr, &size), 0);
    EXPECT_EQ(registry_.CloseKey(key), 0);
    return size;
  }

  platform::win32::RegistryTestKey key_;
  platform::win32::Win32Registry registry_;
  RegistryValue value_ = kBefore;
};

struct TypeCase {
  const char* name;
  std::uint32_t type;
  std::string bytes;
  // A text: the stored bytes, followed by blanks up to the reported size + 1.
  // Otherwise the exact value delivered (kBefore: nothing).
  bool text;
  RegistryValue delivered;
  friend void PrintTo(const TypeCase& c, std::ostream* os) { *os << c.name; }
};

class Win32ReadByTypeTest : public Win32RegistryTest,
                            public ::testing::WithParamInterface<TypeCase> {};

TEST_P(Win32ReadByTypeTest, DeliversWhatTheTypeGives) {
  const auto& c = GetParam();
  Store("Wert", c.type, c.bytes);
  ASSERT_TRUE(Read("Wert"));
  if (!c.text) {
    EXPECT_EQ(value_, c.delivered);
    return;
  }
  const auto* text = std::get_if<std::string>(&value_);
  ASSERT_NE(text, nullptr);
  EXPECT_EQ(text->size(), ReportedSize("Wert") + 1);
  EXPECT_EQ(text->substr(0, c.bytes.size()), c.bytes);
  const std::string filler = text->substr(std::min(c.bytes.size(), text->size()));
  EXPECT_FALSE(filler.empty());
  EXPECT_EQ(filler, std::string(filler.size(), ' '));
}

INSTANTIATE_TEST_SUITE_P(
    Types, Win32ReadByTypeTest,
    ::testing::Values(
        TypeCase{"Sz", 1, "abc\0"s, true, {}},
        TypeCase{"SzAnsi", 1, "Gr\xFC\xDF" "e\0"s, true, {}},
        TypeCase{"SzEmpty", 1, "\0"s, true, {}},
        TypeCase{"ExpandSzNotExpanded", 2, "%SystemRoot%\\x\0"s, true, {}},
        TypeCase{"MultiSz", 7, "eins\0zwei\0\0"s, true, {}},
        TypeCase{"Dword", 4, "\x78\x56\x34\x12"s, false, std::int32_t{0x12345678}},
        TypeCase{"DwordAllOnesIsMinusOne", 4, "\xFF\xFF\xFF\xFF"s, false, std::int32_t{-1}},
        TypeCase{"BinaryTwoBytes", 3, "\x01\x02"s, false, std::int32_t{513}},
        TypeCase{"BinaryEmpty", 3, ""s, false, std::int32_t{0}},
        TypeCase{"None", 0, "\x01"s, false, kBefore},
        TypeCase{"Qword", 11, "\x01\0\0\0\0\0\0\0"s, false, kBefore}),
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

// The calls behind the area answer as the host registry models them.
TEST_F(Win32RegistryTest, AnswersQueriesAsTheHostRegistryModelsThem) {
  Store("Wert", 1, "abcdef\0"s);
  platform::RegistryKey key = 0;
  ASSERT_EQ(registry_.OpenKey(kHkeyCurrentUser, key_.Path(), 0, 0x19, key), 0);
  EXPECT_EQ(registry_.OpenKeys(), 1u);

  std::uint32_t type = 0;
  EXPECT_EQ(registry_.QueryValue(key, "WERT", &type, nullptr, nullptr), 0);
  EXPECT_EQ(type, platform::kRegSz);
  unsigned char data[8] = {'-', '-', '-', '-', '-', '-', '-', '-'};
  std::uint32_t size = 3;
  EXPECT_EQ(registry_.QueryValue(key, "Wert", nullptr, data, &size), platform::kErrorMoreData);
  EXPECT_GE(size, 7u);
  size = sizeof data;
  EXPECT_EQ(registry_.QueryValue(key, "Wert", nullptr, data, &size), 0);
  EXPECT_EQ(size, 7u);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(data), sizeof data), "abcdef\0-"s);
  EXPECT_EQ(registry_.QueryValue(key, "Fehlt", nullptr, nullptr, &size),
            platform::kErrorFileNotFound);

  EXPECT_EQ(registry_.CloseKey(key), 0);
  EXPECT_EQ(registry_.CloseKey(key), platform::kErrorInvalidHandle);
  EXPECT_EQ(registry_.OpenKey(kHkeyCurrentUser, key_.Path() + "\\Fehlt", 0, 0x19, key),
            platform::kErrorFileNotFound);
}

}  // namespace
}  // namespace merkwandel::testing
