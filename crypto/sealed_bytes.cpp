#include "crypto/sealed_bytes.h"

#include <sodium.h>

#include <algorithm>
#include <cstring>

#include "crypto/sodium_init.h"

static_assert(kSealKeySize == crypto_aead_xchacha20poly1305_ietf_KEYBYTES);
static_assert(kSealSaltSize == crypto_generichash_blake2b_SALTBYTES);
static_assert(kSealOverhead ==
              crypto_aead_xchacha20poly1305_ietf_NPUBBYTES + crypto_aead_xchacha20poly1305_ietf_ABYTES);

namespace {

constexpr size_t kNonceSize = crypto_aead_xchacha20poly1305_ietf_NPUBBYTES;

}  // namespace

bool DeriveSealKey(const uint8_t* secret, size_t secretSize, const uint8_t salt[kSealSaltSize], const char* purpose,
                   uint8_t key[kSealKeySize]) {
  // The secret goes in as the message: BLAKE2b's key is limited to 64
  // bytes, and a legacy safe's password may be longer or shorter.
  uint8_t personal[crypto_generichash_blake2b_PERSONALBYTES] = {};
  std::memcpy(personal, purpose, std::min(std::strlen(purpose), sizeof personal));
  if (InitSodium() && crypto_generichash_blake2b_salt_personal(key, kSealKeySize, secret, secretSize, nullptr, 0, salt,
                                                               personal) == 0) {
    return true;
  }
  sodium_memzero(key, kSealKeySize);
  return false;
}

bool FillRandom(uint8_t* bytes, size_t size) {
  if (!InitSodium()) return false;
  randombytes_buf(bytes, size);
  return true;
}

bool SealBytes(const uint8_t key[kSealKeySize], const uint8_t* plain, size_t size, const uint8_t* associated,
               size_t associatedSize, uint8_t* out) {
  if (!InitSodium()) return false;
  randombytes_buf(out, kNonceSize);
  return crypto_aead_xchacha20poly1305_ietf_encrypt(out + kNonceSize, nullptr, plain, size, associated, associatedSize,
                                                    nullptr, out, key) == 0;
}

bool OpenSealedBytes(const uint8_t key[kSealKeySize], const uint8_t* sealed, size_t size, const uint8_t* associated,
                     size_t associatedSize, uint8_t* plain) {
  if (size < kSealOverhead || !InitSodium()) return false;
  return crypto_aead_xchacha20poly1305_ietf_decrypt(plain, nullptr, nullptr, sealed + kNonceSize, size - kNonceSize,
                                                    associated, associatedSize, sealed, key) == 0;
}
