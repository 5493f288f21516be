// ReadRegistryValue on the host registry: what each data type delivers, the
// calls it makes, every failure, and the key closed after every call.
#include "system/registry.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "platform/host/host_registry.h"

namespace merkwandel::testing {
namespace {

using namespace std::string_literals;
using platform::kHkeyCurrentUser;
using system_helpers::ReadRegistryValue;
using system_helpers::RegistryValue;

constexpr char kKey[] = "Software\\Merkwandel\\Test";
constexpr char kOpen[] = "open 0x80000001 Software\\Merkwandel\\Test options 0 access 0x19 -> 0";
// What the holder carries before each read, so that "unchanged" shows.
const RegistryValue kBefore = "vorher"s;

// Text data as the wide calls give it: UTF-16 units, little-endian.
std::string Le(const std::string& utf8) { return platform::host::HostRegistry::Utf16Bytes(utf8); }

class RegistryReaderTest : public ::testing::Test {
 protected:
  bool Read(const std::string& name) {
    return ReadRegistryValue(registry_, kHkeyCurrentUser, kKey, name, value_);
  }
  platform::host::HostRegistry registry_;
  RegistryValue value_ = kBefore;
};

struct TypeCase {
  const char* name;
  std::uint32_t type;
  std::string bytes;
  RegistryValue delivered;   // kBefore when nothing is delivered
  const char* secondQuery;   // the data query, or nullptr when there is none
  friend void PrintTo(const TypeCase& c, std::ostream* os) { *os << c.name; }
};

class ReadByTypeTest : public RegistryReaderTest, public ::testing::WithParamInterface<TypeCase> {};

TEST_P(ReadByTypeTest, DeliversWhatTheTypeGives) {
  const auto& c = GetParam();
  registry_.SetValue(kHkeyCurrentUser, kKey, "Wert", c.type, c.bytes);
  EXPECT_TRUE(Read("Wert"));
  EXPECT_EQ(value_, c.delivered);

  std::vector<std::string> calls = {kOpen, "query Wert size 0 -> 0"};
  if (c.secondQuery != nullptr) calls.push_back(c.secondQuery);
  calls.push_back("close -> 0");
  EXPECT_EQ(registry_.calls, calls);
  EXPECT_EQ(registry_.OpenKeys(), 0u);
}

INSTANTIATE_TEST_SUITE_P(
    Types, ReadByTypeTest,
    ::testing::Values(
        // Texts: the stored UTF-16 units, then blank units up to
        // ceil(size / 2) + 1; the second query is told the capacity size in
        // bytes, so the last blank always stays. Delivered as UTF-8.
        TypeCase{"Sz", 1, Le("abc\0"s), "abc\0 "s, "query Wert data 8 -> 0"},
        TypeCase{"SzInAnyScript", 1, Le("Grüße Твіттер 😀\0"s), "Grüße Твіттер 😀\0 "s,
                 "query Wert data 34 -> 0"},
        TypeCase{"SzWithoutItsZero", 1, Le("abc"), "abc "s, "query Wert data 6 -> 0"},
        // Half a unit: its other byte stays as the blank unit had it.
        TypeCase{"SzOddSize", 1, "a\0b"s, "ab "s, "query Wert data 3 -> 0"},
        TypeCase{"SzEmptyWithZero", 1, Le("\0"s), "\0 "s, "query Wert data 2 -> 0"},
        TypeCase{"SzNoData", 1, ""s, " "s, "query Wert data 0 -> 0"},
        TypeCase{"ExpandSzNotExpanded", 2, Le("%APPDATA%\\x\0"s), "%APPDATA%\\x\0 "s,
                 "query Wert data 24 -> 0"},
        TypeCase{"MultiSz", 7, Le("eins\0zwei\0\0"s), "eins\0zwei\0\0 "s, "query Wert data 22 -> 0"},
        // Numbers: little-endian into a number that starts as 0, capacity 4.
        TypeCase{"Dword", 4, "\x78\x56\x34\x12"s, std::int32_t{0x12345678}, "query Wert data 4 -> 0"},
        TypeCase{"DwordAllOnesIsMinusOne", 4, "\xFF\xFF\xFF\xFF"s, std::int32_t{-1},
                 "query Wert data 4 -> 0"},
        TypeCase{"BinaryTwoBytes", 3, "\x01\x02"s, std::int32_t{513}, "query Wert data 4 -> 0"},
        TypeCase{"BinaryFourBytes", 3, "\x00\x00\x00\x80"s, std::int32_t{INT32_MIN},
                 "query Wert data 4 -> 0"},
        TypeCase{"BinaryEmpty", 3, ""s, std::int32_t{0}, "query Wert data 4 -> 0"},
        // Any other type: true, nothing delivered, no second query.
        TypeCase{"None", 0, "\x01"s, kBefore, nullptr},
        TypeCase{"DwordBigEndian", 5, "\x00\x00\x00\x01"s, kBefore, nullptr},
        TypeCase{"Link", 6, "x\0"s, kBefore, nullptr},
        TypeCase{"Qword", 11, "\x01\0\0\0\0\0\0\0"s, kBefore, nullptr}),
    [](const auto& param) { return std::string(param.param.name); });

struct FailureCase {
  const char* name;
  // Prepares the registry; the reader then reads "Wert" under kKey.
  void (*prepare)(platform::host::HostRegistry& registry);
  std::vector<std::string> calls;
  friend void PrintTo(const FailureCase& c, std::ostream* os) { *os << c.name; }
};

class ReadFailureTest : public RegistryReaderTest,
                        public ::testing::WithParamInterface<FailureCase> {};

TEST_P(ReadFailureTest, AnswersFalseLeavesTheValueAndClosesTheKey) {
  const auto& c = GetParam();
  c.prepare(registry_);
  registry_.calls.clear();
  EXPECT_FALSE(Read("Wert"));
  EXPECT_EQ(value_, kBefore);
  EXPECT_EQ(registry_.calls, c.calls);
  EXPECT_EQ(registry_.OpenKeys(), 0u);
}

// The value grows between the size query and the data query.
void Grows(platform::host::HostRegistry& registry, std::uint32_t type, const std::string& later) {
  registry.beforeQuery = [&registry, type, later](const std::string&, bool withData) {
    if (withData) registry.SetValue(kHkeyCurrentUser, kKey, "Wert", type, later);
    return std::optional<std::int32_t>();
  };
}

INSTANTIATE_TEST_SUITE_P(
    Failures, ReadFailureTest,
    ::testing::Values(
        FailureCase{"MissingKey",
                    [](auto& r) { r.AddKey(kHkeyCurrentUser, "Software\\Merkwandel"); },
                    {"open 0x80000001 Software\\Merkwandel\\Test options 0 access 0x19 -> 2"}},
        FailureCase{"OpenRefused",
                    [](auto& r) {
                      r.SetText(kHkeyCurrentUser, kKey, "Wert", "abc");
                      r.openStatus = 5;  // ERROR_ACCESS_DENIED
                    },
                    {"open 0x80000001 Software\\Merkwandel\\Test options 0 access 0x19 -> 5"}},
        FailureCase{"MissingValue",
                    [](auto& r) { r.SetText(kHkeyCurrentUser, kKey, "Anderer", "abc"); },
                    {kOpen, "query Wert size 0 -> 2", "close -> 0"}},
        FailureCase{"BinaryLongerThanFourBytes",
                    [](auto& r) { r.SetValue(kHkeyCurrentUser, kKey, "Wert", 3, "12345"); },
                    {kOpen, "query Wert size 0 -> 0", "query Wert data 4 -> 234", "close -> 0"}},
        FailureCase{"TextGrowsBetweenTheQueries",
                    [](auto& r) {
                      r.SetText(kHkeyCurrentUser, kKey, "Wert", "abc");
                      Grows(r, 1, Le("abcd\0"s));
                    },
                    {kOpen, "query Wert size 0 -> 0", "query Wert data 8 -> 234", "close -> 0"}},
        FailureCase{"BinaryGrowsBetweenTheQueries",
                    [](auto& r) {
                      r.SetValue(kHkeyCurrentUser, kKey, "Wert", 3, "\x01\x02"s);
                      Grows(r, 3, "\x01\x02\x03\x04\x05"s);
                    },
                    {kOpen, "query Wert size 0 -> 0", "query Wert data 4 -> 234", "close -> 0"}},
        FailureCase{"SizeQueryFails",
                    [](auto& r) {
                      r.SetText(kHkeyCurrentUser, kKey, "Wert", "abc");
                      r.beforeQuery = [](const std::string&, bool) {
                        return std::optional<std::int32_t>(1018);  // ERROR_KEY_DELETED
                      };
                    },
                    {kOpen, "query Wert size 0 -> 1018", "close -> 0"}}),
    [](const auto& param) { return std::string(param.param.name); });

}  // namespace
}  // namespace merkwandel::testing
