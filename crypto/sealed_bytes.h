#pragma once

#include <cstddef>
#include <cstdint>

// Bytes this process seals for itself, to open again later under a key it
// can derive again: XChaCha20-Poly1305 (IETF) with a random nonce, the key
// derived from a longer-lived secret by BLAKE2b with a salt and a purpose.
inline constexpr size_t kSealKeySize = 32;
inline constexpr size_t kSealSaltSize = 16;
// A sealed form is the nonce (24), the ciphertext, then the tag (16).
inline constexpr size_t kSealOverhead = 24 + 16;

// The key for purpose (at most 16 characters) from secret and salt; false
// when libsodium cannot start, with key wiped.
bool DeriveSealKey(const uint8_t* secret, size_t secretSize, const uint8_t salt[kSealSaltSize], const char* purpose,
                   uint8_t key[kSealKeySize]);
// False when libsodium cannot start.
bool FillRandom(uint8_t* bytes, size_t size);
// Seals size bytes of plain into out (size + kSealOverhead bytes), bound to
// the associated data.
bool SealBytes(const uint8_t key[kSealKeySize], const uint8_t* plain, size_t size, const uint8_t* associated,
               size_t associatedSize, uint8_t* out);
// Opens what SealBytes made into plain (size - kSealOverhead bytes): false,
// with plain zeroed, unless the tag verifies under key and the associated
// data.
bool OpenSealedBytes(const uint8_t key[kSealKeySize], const uint8_t* sealed, size_t size, const uint8_t* associated,
                     size_t associatedSize, uint8_t* plain);
