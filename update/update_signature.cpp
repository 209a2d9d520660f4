// The low-level RSA calls are deprecated in OpenSSL 3 but are exactly the
// verification the signature format was made for. Before any OpenSSL header.
#define OPENSSL_SUPPRESS_DEPRECATED

#include "update/update_signature.h"

#include <openssl/bn.h>
#include <openssl/obj_mac.h>
#include <openssl/rsa.h>

#include "update/update_key.h"

RSA* BuildRsaKey(const unsigned char* modulus, size_t modulusLength, const unsigned char* exponent,
                 size_t exponentLength) {
  RSA* key = RSA_new();
  if (key == nullptr) return nullptr;
  BIGNUM* n = BN_bin2bn(modulus, static_cast<int>(modulusLength), nullptr);
  BIGNUM* e = BN_bin2bn(exponent, static_cast<int>(exponentLength), nullptr);
  if (n == nullptr || e == nullptr || RSA_set0_key(key, n, e, nullptr) != 1) {
    BN_free(n);
    BN_free(e);
    RSA_free(key);
    return nullptr;
  }
  return key;
}

bool VerifySignatureWithKey(const unsigned char* data, size_t length, const unsigned char* modulus,
                            size_t modulusLength, const unsigned char* exponent, size_t exponentLength) {
  if (data == nullptr || length < kSignatureHeaderSize) return false;
  const size_t signatureLength = data[kSignatureDigestSize];
  if (length - kSignatureHeaderSize < signatureLength) return false;

  RSA* key = BuildRsaKey(modulus, modulusLength, exponent, exponentLength);
  if (key == nullptr) return false;
  // RSA_verify insists on a signature as long as the modulus and compares the
  // whole DigestInfo DER-exactly, so no padding or encoding slack is accepted.
  const bool verified = RSA_verify(NID_md5, data, kSignatureDigestSize, data + kSignatureHeaderSize,
                                   static_cast<unsigned int>(signatureLength), key) == 1;
  RSA_free(key);
  return verified;
}

bool VerifyUpdateSignature(const unsigned char* data, size_t length) {
  return VerifySignatureWithKey(data, length, kUpdateKeyModulus, kUpdateKeyModulusSize, kUpdateKeyExponent,
                                kUpdateKeyExponentSize);
}
