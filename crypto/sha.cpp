#include "crypto/sha.h"

#include <openssl/crypto.h>
#include <openssl/evp.h>

#include <cstdlib>

namespace {

void Digest(const EVP_MD* md, std::initializer_list<std::span<const uint8_t>> parts, uint8_t* out) {
  EVP_MD_CTX* context = EVP_MD_CTX_new();
  if (context == nullptr || EVP_DigestInit_ex(context, md, nullptr) != 1) std::abort();
  for (std::span<const uint8_t> part : parts) EVP_DigestUpdate(context, part.data(), part.size());
  EVP_DigestFinal_ex(context, out, nullptr);
  EVP_MD_CTX_free(context);
}

}  // namespace

void Sha1(std::initializer_list<std::span<const uint8_t>> parts, uint8_t out[20]) { Digest(EVP_sha1(), parts, out); }

void Sha256(std::initializer_list<std::span<const uint8_t>> parts, uint8_t out[32]) {
  Digest(EVP_sha256(), parts, out);
}

void Sha512(std::initializer_list<std::span<const uint8_t>> parts, uint8_t out[64]) {
  Digest(EVP_sha512(), parts, out);
}

bool SameDigest(std::span<const uint8_t> a, std::span<const uint8_t> b) {
  return a.size() == b.size() && CRYPTO_memcmp(a.data(), b.data(), a.size()) == 0;
}
