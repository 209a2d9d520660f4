// The low-level RSA calls are deprecated in OpenSSL 3 but are exactly the
// verification the update's signature format was made for. Before any
// OpenSSL header.
#define OPENSSL_SUPPRESS_DEPRECATED

#include "crypto/rsa_verify.h"

#include <openssl/bn.h>
#include <openssl/obj_mac.h>
#include <openssl/rsa.h>

namespace {

RSA* BuildRsaKey(std::span<const uint8_t> modulus, std::span<const uint8_t> exponent) {
  RSA* key = RSA_new();
  if (key == nullptr) return nullptr;
  BIGNUM* n = BN_bin2bn(modulus.data(), static_cast<int>(modulus.size()), nullptr);
  BIGNUM* e = BN_bin2bn(exponent.data(), static_cast<int>(exponent.size()), nullptr);
  if (n == nullptr || e == nullptr || RSA_set0_key(key, n, e, nullptr) != 1) {
    BN_free(n);
    BN_free(e);
    RSA_free(key);
    return nullptr;
  }
  return key;
}

}  // namespace

bool VerifyRsaPkcs1Md5(std::span<const uint8_t> digest, std::span<const uint8_t> signature,
                       std::span<const uint8_t> modulus, std::span<const uint8_t> exponent) {
  if (digest.size() != 16) return false;
  RSA* key = BuildRsaKey(modulus, exponent);
  if (key == nullptr) return false;
  const bool verified = RSA_verify(NID_md5, digest.data(), static_cast<unsigned int>(digest.size()), signature.data(),
                                   static_cast<unsigned int>(signature.size()), key) == 1;
  RSA_free(key);
  return verified;
}
