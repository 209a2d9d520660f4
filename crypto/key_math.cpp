#include "crypto/key_math.h"

#include <openssl/bn.h>
#include <openssl/ec.h>
#include <openssl/evp.h>
#include <openssl/obj_mac.h>

#include <memory>

namespace {

template <typename T, void (*Free)(T*)>
using Owned = std::unique_ptr<T, std::integral_constant<decltype(Free), Free>>;

using Number = Owned<BIGNUM, BN_clear_free>;

Number ToNumber(std::span<const uint8_t> bytes) {
  return Number(BN_bin2bn(bytes.data(), static_cast<int>(bytes.size()), nullptr));
}

}  // namespace

bool Ed25519PublicKeyOf(std::span<const uint8_t> seed, uint8_t publicKey[32]) {
  Owned<EVP_PKEY, EVP_PKEY_free> key(EVP_PKEY_new_raw_private_key(EVP_PKEY_ED25519, nullptr, seed.data(), seed.size()));
  size_t size = 32;
  return key != nullptr && EVP_PKEY_get_raw_public_key(key.get(), publicKey, &size) == 1 && size == 32;
}

bool EcdsaPublicPointOf(const char* curve, std::span<const uint8_t> scalar, std::vector<uint8_t>* point) {
  Owned<EC_GROUP, EC_GROUP_free> group(EC_GROUP_new_by_curve_name(OBJ_sn2nid(curve)));
  if (group == nullptr) return false;
  Owned<EC_POINT, EC_POINT_free> made(EC_POINT_new(group.get()));
  Owned<BN_CTX, BN_CTX_free> context(BN_CTX_new());
  Number d = ToNumber(scalar);
  if (made == nullptr || context == nullptr || d == nullptr ||
      EC_POINT_mul(group.get(), made.get(), d.get(), nullptr, nullptr, context.get()) != 1) {
    return false;
  }
  point->resize(EC_POINT_point2oct(group.get(), made.get(), POINT_CONVERSION_UNCOMPRESSED, nullptr, 0, context.get()));
  return !point->empty() && EC_POINT_point2oct(group.get(), made.get(), POINT_CONVERSION_UNCOMPRESSED, point->data(),
                                               point->size(), context.get()) == point->size();
}

bool ProductIs(std::span<const uint8_t> a, std::span<const uint8_t> b, std::span<const uint8_t> product) {
  Number ba = ToNumber(a), bb = ToNumber(b), expected = ToNumber(product), made(BN_new());
  Owned<BN_CTX, BN_CTX_free> context(BN_CTX_new());
  return ba != nullptr && bb != nullptr && expected != nullptr && made != nullptr && context != nullptr &&
         BN_mul(made.get(), ba.get(), bb.get(), context.get()) == 1 && BN_cmp(made.get(), expected.get()) == 0;
}
