#include "update/update_signature.h"

#include "crypto/rsa_verify.h"
#include "update/update_key.h"

bool VerifySignatureWithKey(const unsigned char* data, size_t length, const unsigned char* modulus,
                            size_t modulusLength, const unsigned char* exponent, size_t exponentLength) {
  if (data == nullptr || length < kSignatureHeaderSize) return false;
  const size_t signatureLength = data[kSignatureDigestSize];
  if (length - kSignatureHeaderSize < signatureLength) return false;

  return VerifyRsaPkcs1Md5({data, kSignatureDigestSize}, {data + kSignatureHeaderSize, signatureLength},
                           {modulus, modulusLength}, {exponent, exponentLength});
}

bool VerifyUpdateSignature(const unsigned char* data, size_t length) {
  return VerifySignatureWithKey(data, length, kUpdateKeyModulus, kUpdateKeyModulusSize, kUpdateKeyExponent,
                                kUpdateKeyExponentSize);
}
