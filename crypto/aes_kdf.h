#pragma once

#include <cstdint>

// The rounds of KeePass's AES-KDF: the two blocks encrypted in place with
// AES-256-ECB under seed, rounds times over (OpenSSL's AES). False when
// OpenSSL fails; block then holds a part-way state the caller wipes.
bool AesKdfRounds(const uint8_t seed[32], uint8_t block[32], uint64_t rounds);
