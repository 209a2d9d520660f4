#include "crypto/pbkdf2.h"

#include <openssl/crypto.h>
#include <openssl/evp.h>

#include <climits>

bool Pbkdf2Sha256(std::string_view password, std::span<const uint8_t> salt, uint32_t iterations,
                  std::span<uint8_t> out) {
  bool ok =
      password.size() <= INT_MAX && salt.size() <= INT_MAX && iterations <= INT_MAX && out.size() <= INT_MAX &&
      PKCS5_PBKDF2_HMAC(password.data(), static_cast<int>(password.size()), salt.data(), static_cast<int>(salt.size()),
                        static_cast<int>(iterations), EVP_sha256(), static_cast<int>(out.size()), out.data()) == 1;
  if (!ok) OPENSSL_cleanse(out.data(), out.size());
  return ok;
}
