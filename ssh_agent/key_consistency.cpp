#include "ssh_agent/key_consistency.h"

#include <openssl/bn.h>
#include <openssl/ec.h>
#include <openssl/evp.h>
#include <openssl/obj_mac.h>

#include <algorithm>
#include <memory>
#include <vector>

namespace {

template <typename T, void (*Free)(T*)>
using Owned = std::unique_ptr<T, std::integral_constant<decltype(Free), Free>>;

using Number = Owned<BIGNUM, BN_clear_free>;

Number ToNumber(std::span<const uint8_t> bytes) {
  return Number(BN_bin2bn(bytes.data(), static_cast<int>(bytes.size()), nullptr));
}

}  // namespace

bool Ed25519SeedMakes(std::span<const uint8_t> seed, std::span<const uint8_t> publicKey) {
  Owned<EVP_PKEY, EVP_PKEY_free> key(EVP_PKEY_new_raw_private_key(EVP_PKEY_ED25519, nullptr, seed.data(), seed.size()));
  uint8_t made[32];
  size_t size = sizeof made;
  return key != nullptr && EVP_PKEY_get_raw_public_key(key.get(), made, &size) == 1 && size == publicKey.size() &&
         std::equal(publicKey.begin(), publicKey.end(), made);
}

bool EcdsaScalarMakes(const char* curve, std::span<const uint8_t> scalar, std::span<const uint8_t> point) {
  Owned<EC_GROUP, EC_GROUP_free> group(EC_GROUP_new_by_curve_name(OBJ_sn2nid(curve)));
  if (group == nullptr) return false;
  Owned<EC_POINT, EC_POINT_free> made(EC_POINT_new(group.get()));
  Owned<BN_CTX, BN_CTX_free> context(BN_CTX_new());
  Number d = ToNumber(scalar);
  if (made == nullptr || context == nullptr || d == nullptr ||
      EC_POINT_mul(group.get(), made.get(), d.get(), nullptr, nullptr, context.get()) != 1) {
    return false;
  }
  std::vector<uint8_t> encoded(point.size());
  size_t size = EC_POINT_point2oct(group.get(), made.get(), POINT_CONVERSION_UNCOMPRESSED, encoded.data(),
                                   encoded.size(), context.get());
  return size == point.size() && std::equal(point.begin(), point.end(), encoded.begin());
}

bool RsaFactorsMake(std::span<const uint8_t> p, std::span<const uint8_t> q, std::span<const uint8_t> n) {
  Number bp = ToNumber(p), bq = ToNumber(q), bn = ToNumber(n), product(BN_new());
  Owned<BN_CTX, BN_CTX_free> context(BN_CTX_new());
  return bp != nullptr && bq != nullptr && bn != nullptr && product != nullptr && context != nullptr &&
         BN_mul(product.get(), bp.get(), bq.get(), context.get()) == 1 && BN_cmp(product.get(), bn.get()) == 0;
}
