#pragma once

#include <cstddef>
#include <cstdint>

// The hash inside OpenBSD's bcrypt_pbkdf: Blowfish's state expanded by the
// SHA-512 digests of password and salt (eksblowfish, 64 rounds), then
// "OxychromaticBlowfishSwatDynamite" enciphered 64 times, its words written
// little-endian. Blowfish is OpenSSL's.
inline constexpr size_t kBcryptHashSize = 32;

void BcryptHash(const uint8_t shaPassword[64], const uint8_t shaSalt[64], uint8_t out[kBcryptHashSize]);
