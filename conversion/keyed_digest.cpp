#include "conversion/keyed_digest.h"

#include <bit>
#include <cstring>
#include <utility>

namespace merkwandel::conversion {

KeyedDigest::KeyedDigest(platform::UserInterface& ui) {
  std::uint64_t key[2] = {};
  if (!ui.RandomBytes(key, sizeof key)) {
    const double now = ui.SecondsSinceMidnight();
    std::memcpy(&key[0], &now, sizeof now);
  }
  key0_ = key[0];
  key1_ = key[1];
}

std::uint64_t KeyedDigest::operator()(std::string_view text) const {
  std::uint64_t v0 = key0_ ^ 0x736f6d6570736575u, v1 = key1_ ^ 0x646f72616e646f6du;
  std::uint64_t v2 = key0_ ^ 0x6c7967656e657261u, v3 = key1_ ^ 0x7465646279746573u;
  const auto rounds = [&](int count) {
    for (int i = 0; i < count; ++i) {
      v0 += v1, v1 = std::rotl(v1, 13), v1 ^= v0, v0 = std::rotl(v0, 32);
      v2 += v3, v3 = std::rotl(v3, 16), v3 ^= v2;
      v0 += v3, v3 = std::rotl(v3, 21), v3 ^= v0;
      v2 += v1, v1 = std::rotl(v1, 17), v1 ^= v2, v2 = std::rotl(v2, 32);
    }
  };
  const auto compress = [&](std::uint64_t word) {
    v3 ^= word;
    rounds(2);
    v0 ^= word;
  };
  // Eight bytes a word, little-endian; the last word holds the rest and,
  // in its top byte, the length.
  std::uint64_t word = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    word |= std::uint64_t{static_cast<unsigned char>(text[i])} << (8 * (i % 8));
    if (i % 8 == 7) compress(std::exchange(word, 0));
  }
  compress(word | (std::uint64_t{text.size()} << 56));
  v2 ^= 0xFF;
  rounds(4);
  return v0 ^ v1 ^ v2 ^ v3;
}

}  // namespace merkwandel::conversion
