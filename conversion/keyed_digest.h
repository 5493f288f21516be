// A 64-bit digest of texts under a secret 128-bit key (SipHash-2-4): two
// texts of one digest can't be made on purpose by someone who does not know
// the key, so the digest may stand for its text where a file's author must
// not be able to make two texts count as one.
#pragma once

#include <cstdint>
#include <string_view>

#include "platform/platform.h"

namespace merkwandel::conversion {

class KeyedDigest {
 public:
  // A key drawn from the system's random source, new for every object. On
  // a system whose source fails, the clock's time of day stands in for it.
  explicit KeyedDigest(platform::UserInterface& ui);
  // The key as SipHash's two little-endian halves.
  KeyedDigest(std::uint64_t key0, std::uint64_t key1) : key0_(key0), key1_(key1) {}

  std::uint64_t operator()(std::string_view text) const;

 private:
  std::uint64_t key0_ = 0;
  std::uint64_t key1_ = 0;
};

}  // namespace merkwandel::conversion
