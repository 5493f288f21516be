// The digest the shortcut writer keeps names and URLs as: SipHash-2-4, under
// a key drawn anew from the system's random source.
#include "conversion/keyed_digest.h"

#include <gtest/gtest.h>

#include "platform/host/host_platform.h"

namespace merkwandel::conversion {
namespace {

TEST(KeyedDigest, GivesSipHashsReferenceValues) {
  // The key 00 01 ... 0F; the messages 00 01 ... of 0, 8 and 15 bytes.
  const KeyedDigest digest(0x0706050403020100u, 0x0F0E0D0C0B0A0908u);
  const std::string message("\0\1\2\3\4\5\6\7\10\11\12\13\14\15\16", 15);
  EXPECT_EQ(digest(""), 0x726FDB47DD0E0E31u);
  EXPECT_EQ(digest(message.substr(0, 8)), 0x93F5F5799A932462u);
  EXPECT_EQ(digest(message), 0xA129CA6149BE45E5u);
}

TEST(KeyedDigest, DrawsAKeyOfItsOwn) {
  platform::host::HostPlatform platform;
  EXPECT_NE(KeyedDigest(platform.Ui())("x"), KeyedDigest(platform.Ui())("x"));
}

}  // namespace
}  // namespace merkwandel::conversion
