#include "crypto/hkdf.h"

#include <openssl/core_names.h>
#include <openssl/crypto.h>
#include <openssl/evp.h>
#include <openssl/kdf.h>
#include <openssl/params.h>

namespace {

bool Derive(int mode, std::span<const uint8_t> key, std::span<const uint8_t> salt, std::span<const uint8_t> info,
            std::span<uint8_t> out) {
  // An empty salt or info is left out, which the RFC defines as the same.
  EVP_KDF* hkdf = EVP_KDF_fetch(nullptr, "HKDF", nullptr);
  EVP_KDF_CTX* context = hkdf != nullptr ? EVP_KDF_CTX_new(hkdf) : nullptr;
  char digest[] = "SHA256";
  OSSL_PARAM params[6];
  OSSL_PARAM* param = params;
  *param++ = OSSL_PARAM_construct_int(OSSL_KDF_PARAM_MODE, &mode);
  *param++ = OSSL_PARAM_construct_utf8_string(OSSL_KDF_PARAM_DIGEST, digest, 0);
  *param++ = OSSL_PARAM_construct_octet_string(OSSL_KDF_PARAM_KEY, const_cast<uint8_t*>(key.data()), key.size());
  if (!salt.empty()) {
    *param++ = OSSL_PARAM_construct_octet_string(OSSL_KDF_PARAM_SALT, const_cast<uint8_t*>(salt.data()), salt.size());
  }
  if (!info.empty()) {
    *param++ = OSSL_PARAM_construct_octet_string(OSSL_KDF_PARAM_INFO, const_cast<uint8_t*>(info.data()), info.size());
  }
  *param = OSSL_PARAM_construct_end();
  bool ok = context != nullptr && EVP_KDF_derive(context, out.data(), out.size(), params) == 1;
  EVP_KDF_CTX_free(context);
  EVP_KDF_free(hkdf);
  if (!ok) OPENSSL_cleanse(out.data(), out.size());
  return ok;
}

}  // namespace

bool HkdfSha256(std::span<const uint8_t> key, std::span<const uint8_t> salt, std::span<const uint8_t> info,
                std::span<uint8_t> out) {
  return Derive(EVP_KDF_HKDF_MODE_EXTRACT_AND_EXPAND, key, salt, info, out);
}

bool HkdfSha256Expand(std::span<const uint8_t> key, std::span<const uint8_t> info, std::span<uint8_t> out) {
  return Derive(EVP_KDF_HKDF_MODE_EXPAND_ONLY, key, {}, info, out);
}
