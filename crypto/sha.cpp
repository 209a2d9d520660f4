#include "crypto/sha.h"

#include <openssl/crypto.h>
#include <openssl/evp.h>
#include <openssl/params.h>

#include <cstdlib>

namespace {

void Digest(const EVP_MD* md, std::initializer_list<std::span<const uint8_t>> parts, uint8_t* out) {
  EVP_MD_CTX* context = EVP_MD_CTX_new();
  // Hashing in memory fails only when memory does; nothing sane follows.
  if (context == nullptr || EVP_DigestInit_ex(context, md, nullptr) != 1) std::abort();
  for (std::span<const uint8_t> part : parts) EVP_DigestUpdate(context, part.data(), part.size());
  EVP_DigestFinal_ex(context, out, nullptr);
  EVP_MD_CTX_free(context);
}

}  // namespace

void Sha256(std::initializer_list<std::span<const uint8_t>> parts, uint8_t out[32]) {
  Digest(EVP_sha256(), parts, out);
}

void Sha512(std::initializer_list<std::span<const uint8_t>> parts, uint8_t out[64]) {
  Digest(EVP_sha512(), parts, out);
}

void HmacSha256(std::span<const uint8_t> key, std::initializer_list<std::span<const uint8_t>> parts, uint8_t out[32]) {
  EVP_MAC* mac = EVP_MAC_fetch(nullptr, "HMAC", nullptr);
  EVP_MAC_CTX* context = mac == nullptr ? nullptr : EVP_MAC_CTX_new(mac);
  char digest[] = "SHA256";
  OSSL_PARAM params[] = {OSSL_PARAM_construct_utf8_string("digest", digest, 0), OSSL_PARAM_construct_end()};
  if (context == nullptr || EVP_MAC_init(context, key.data(), key.size(), params) != 1) std::abort();
  for (std::span<const uint8_t> part : parts) EVP_MAC_update(context, part.data(), part.size());
  size_t length = 0;
  EVP_MAC_final(context, out, &length, 32);
  EVP_MAC_CTX_free(context);
  EVP_MAC_free(mac);
}

bool SameDigest(std::span<const uint8_t> a, std::span<const uint8_t> b) {
  return a.size() == b.size() && CRYPTO_memcmp(a.data(), b.data(), a.size()) == 0;
}
