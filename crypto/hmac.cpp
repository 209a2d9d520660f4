#include "crypto/hmac.h"

#include <openssl/core_names.h>
#include <openssl/crypto.h>
#include <openssl/evp.h>
#include <openssl/params.h>

#include <cstdlib>

namespace {

const char* DigestName(HmacDigest digest) {
  switch (digest) {
    case HmacDigest::kSha256:
      return "SHA256";
    case HmacDigest::kSha512:
      return "SHA512";
    case HmacDigest::kSha1:
      break;
  }
  return "SHA1";
}

}  // namespace

bool Hmac(HmacDigest digest, std::span<const uint8_t> key, std::initializer_list<std::span<const uint8_t>> parts,
          uint8_t out[kHmacMaxSize], size_t* size) {
  bool ok = false;
  EVP_MAC* mac = EVP_MAC_fetch(nullptr, "HMAC", nullptr);
  // The context keeps its own copy of the key and cleanses it when freed.
  EVP_MAC_CTX* context = mac != nullptr ? EVP_MAC_CTX_new(mac) : nullptr;
  if (context != nullptr) {
    OSSL_PARAM params[] = {
        OSSL_PARAM_construct_utf8_string(OSSL_MAC_PARAM_DIGEST, const_cast<char*>(DigestName(digest)), 0),
        OSSL_PARAM_construct_end(),
    };
    ok = EVP_MAC_init(context, key.data(), key.size(), params) == 1;
    for (std::span<const uint8_t> part : parts) ok = ok && EVP_MAC_update(context, part.data(), part.size()) == 1;
    ok = ok && EVP_MAC_final(context, out, size, kHmacMaxSize) == 1;
  }
  EVP_MAC_CTX_free(context);
  EVP_MAC_free(mac);
  if (!ok) OPENSSL_cleanse(out, kHmacMaxSize);
  return ok;
}

void HmacSha256(std::span<const uint8_t> key, std::initializer_list<std::span<const uint8_t>> parts, uint8_t out[32]) {
  uint8_t mac[kHmacMaxSize];
  size_t size = 0;
  if (!Hmac(HmacDigest::kSha256, key, parts, mac, &size)) std::abort();
  for (size_t i = 0; i < 32; ++i) out[i] = mac[i];
  OPENSSL_cleanse(mac, sizeof mac);
}
