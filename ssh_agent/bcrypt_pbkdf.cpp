#include "ssh_agent/bcrypt_pbkdf.h"

#include <string.h>

#include <algorithm>
#include <cstddef>

#include "crypto/bcrypt_hash.h"
#include "crypto/sha.h"

namespace {

constexpr size_t kShaSize = 64;
constexpr size_t kHashSize = kBcryptHashSize;

}  // namespace

bool BcryptPbkdf(std::span<const uint8_t> password, std::span<const uint8_t> salt, unsigned rounds,
                 std::span<uint8_t> key) {
  if (rounds < 1 || password.empty() || salt.empty() || key.empty() || key.size() > kHashSize * kHashSize) {
    return false;
  }
  const size_t stride = (key.size() + kHashSize - 1) / kHashSize;
  const size_t amount = (key.size() + stride - 1) / stride;
  uint8_t shaPassword[kShaSize], shaSalt[kShaSize], out[kHashSize], roundOut[kHashSize];
  Sha512({password}, shaPassword);
  size_t left = key.size();
  for (uint32_t count = 1; left > 0; ++count) {
    const uint8_t countBytes[4] = {static_cast<uint8_t>(count >> 24), static_cast<uint8_t>(count >> 16),
                                   static_cast<uint8_t>(count >> 8), static_cast<uint8_t>(count)};
    Sha512({salt, countBytes}, shaSalt);
    BcryptHash(shaPassword, shaSalt, roundOut);
    memcpy(out, roundOut, sizeof out);
    for (unsigned round = 1; round < rounds; ++round) {
      Sha512({roundOut}, shaSalt);
      BcryptHash(shaPassword, shaSalt, roundOut);
      for (size_t j = 0; j < kHashSize; ++j) out[j] ^= roundOut[j];
    }
    // Unlike PBKDF2, each block's bytes are spread across the whole key.
    size_t i = 0;
    for (; i < std::min(amount, left); ++i) {
      size_t dest = i * stride + (count - 1);
      if (dest >= key.size()) break;
      key[dest] = out[i];
    }
    left -= i;
  }
  explicit_bzero(shaPassword, sizeof shaPassword);
  explicit_bzero(shaSalt, sizeof shaSalt);
  explicit_bzero(out, sizeof out);
  explicit_bzero(roundOut, sizeof roundOut);
  return true;
}
