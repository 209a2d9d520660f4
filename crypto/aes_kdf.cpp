#include "crypto/aes_kdf.h"

#include <openssl/evp.h>

bool AesKdfRounds(const uint8_t seed[32], uint8_t block[32], uint64_t rounds) {
  EVP_CIPHER_CTX* context = EVP_CIPHER_CTX_new();
  bool ok = context != nullptr && EVP_EncryptInit_ex(context, EVP_aes_256_ecb(), nullptr, seed, nullptr) == 1 &&
            EVP_CIPHER_CTX_set_padding(context, 0) == 1;
  int length = 0;
  for (uint64_t round = 0; ok && round < rounds; ++round) {
    ok = EVP_EncryptUpdate(context, block, &length, block, 32) == 1;
  }
  EVP_CIPHER_CTX_free(context);  // wipes the expanded key
  return ok;
}
