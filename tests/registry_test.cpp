// ReadRegistryValue on the host registry: what each data type delivers,
// every failure, and the key closed after every call.
#include "system/registry.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "platform/host/host_registry.h"

namespace merkwandel::testing {
namespace {

using namespace std::string_literals;
using platform::kHkeyCurrentUser;

constexpr char kKey[] = "Software\\Merkwandel\\Test";
// What the holder carries before each read, so that "unchanged" shows.
const system_helpers::RegistryValue kBefore = "vorher"s;

// Text data as the wide calls give it: UTF-16 units, little-endian.
std::string Le(const std::string& utf8) { return platform::host::HostRegistry::Utf16Bytes(utf8); }

struct ReadCase {
  const char* name;
  std::optional<std::uint32_t> type;  // of the value "Wert"; nothing: another value only
  std::string bytes;
  bool read;                                // the answer
  system_helpers::RegistryValue delivered;  // kBefore when nothing is delivered
  std::optional<std::string> grown = {};    // the value's bytes once its size was asked
  friend void PrintTo(const ReadCase& c, std::ostream* os) { *os << c.name; }
};

class RegistryReaderTest : public ::testing::TestWithParam<ReadCase> {};

TEST_P(RegistryReaderTest, DeliversWhatTheTypeGivesAndClosesTheKey) {
  const auto& c = GetParam();
  platform::host::HostRegistry registry;
  registry.SetValue(kHkeyCurrentUser, kKey, c.type ? "Wert" : "Anderer", c.type.value_or(1), c.bytes);
  registry.beforeQuery = [&](const std::string&, bool withData) {
    if (withData && c.grown) registry.SetValue(kHkeyCurrentUser, kKey, "Wert", *c.type, *c.grown);
    return std::optional<std::int32_t>();
  };
  system_helpers::RegistryValue value = kBefore;
  EXPECT_EQ(system_helpers::ReadRegistryValue(registry, kHkeyCurrentUser, kKey, "Wert", value), c.read);
  EXPECT_EQ(value, c.delivered);
  EXPECT_EQ(registry.OpenKeys(), 0u);
}

INSTANTIATE_TEST_SUITE_P(
    Values, RegistryReaderTest,
    ::testing::Values(
        // Texts: the stored UTF-16 units, then blank units; the last blank
        // always stays. Delivered as UTF-8.
        ReadCase{"Sz", 1, Le("abc\0"s), true, "abc\0 "s},
        ReadCase{"SzInAnyScript", 1, Le("Grüße Твіттер 😀\0"s), true, "Grüße Твіттер 😀\0 "s},
        ReadCase{"SzWithoutItsZero", 1, Le("abc"), true, "abc "s},
        // Half a unit: its other byte stays as the blank unit had it.
        ReadCase{"SzOddSize", 1, "a\0b"s, true, "ab "s},
        ReadCase{"SzNoData", 1, ""s, true, " "s},
        ReadCase{"ExpandSzNotExpanded", 2, Le("%APPDATA%\\x\0"s), true, "%APPDATA%\\x\0 "s},
        ReadCase{"MultiSz", 7, Le("eins\0zwei\0\0"s), true, "eins\0zwei\0\0 "s},
        // Numbers: little-endian into a number that starts as 0.
        ReadCase{"Dword", 4, "\x78\x56\x34\x12"s, true, std::int32_t{0x12345678}},
        ReadCase{"DwordAllOnesIsMinusOne", 4, "\xFF\xFF\xFF\xFF"s, true, std::int32_t{-1}},
        ReadCase{"BinaryTwoBytes", 3, "\x01\x02"s, true, std::int32_t{513}},
        // Any other type: true, nothing delivered.
        ReadCase{"None", 0, "\x01"s, true, kBefore},
        ReadCase{"Qword", 11, "\x01\0\0\0\0\0\0\0"s, true, kBefore},
        // Failures: false, the value unchanged.
        ReadCase{"MissingValue", std::nullopt, Le("abc\0"s), false, kBefore},
        ReadCase{"BinaryLongerThanFourBytes", 3, "12345", false, kBefore},
        ReadCase{"TextGrowsBetweenTheQueries", 1, Le("abc\0"s), false, kBefore, Le("abcd\0"s)}),
    [](const auto& param) { return std::string(param.param.name); });

}  // namespace
}  // namespace merkwandel::testing
