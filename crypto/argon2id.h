#pragma once

#include <cstddef>
#include <cstdint>

inline constexpr size_t kArgon2idSaltSize = 16;

// Argon2id version 1.3, parallelism 1 (libsodium crypto_pwhash) over the
// password's bytes. False when the parameters are out of libsodium's range
// or the memory cannot be had; the key is then wiped.
bool DeriveArgon2idKey(const char* password, size_t passwordLength, const uint8_t salt[kArgon2idSaltSize],
                       uint32_t iterations, uint32_t memoryKiB, uint8_t* key, size_t keySize);
