#include "ssh_agent/key_consistency.h"

#include <algorithm>
#include <vector>

#include "crypto/key_math.h"

bool Ed25519SeedMakes(std::span<const uint8_t> seed, std::span<const uint8_t> publicKey) {
  uint8_t made[32];
  return Ed25519PublicKeyOf(seed, made) && std::ranges::equal(publicKey, made);
}

bool EcdsaScalarMakes(const char* curve, std::span<const uint8_t> scalar, std::span<const uint8_t> point) {
  std::vector<uint8_t> made;
  return EcdsaPublicPointOf(curve, scalar, &made) && std::ranges::equal(point, made);
}

bool RsaFactorsMake(std::span<const uint8_t> p, std::span<const uint8_t> q, std::span<const uint8_t> n) {
  return ProductIs(p, q, n);
}
