#include "crypto/argon2id.h"

#include <sodium.h>

#include "crypto/sodium_init.h"

static_assert(kArgon2idSaltSize == crypto_pwhash_SALTBYTES);

bool DeriveArgon2idKey(const char* password, size_t passwordLength, const uint8_t salt[kArgon2idSaltSize],
                       uint32_t iterations, uint32_t memoryKiB, uint8_t* key, size_t keySize) {
  if (!InitSodium()) return false;
  size_t memoryBytes = static_cast<size_t>(memoryKiB) * 1024;
  if (crypto_pwhash(key, keySize, password, passwordLength, salt, iterations, memoryBytes,
                    crypto_pwhash_ALG_ARGON2ID13) == 0) {
    return true;
  }
  sodium_memzero(key, keySize);
  return false;
}
