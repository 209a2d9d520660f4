#pragma once

#include <cstddef>

// The one public key that update signature files are checked against. The
// library is linked with exactly one of the key sources in update/key/ (or the
// test key under tests/), so a build can never carry two keys.

inline constexpr size_t kUpdateKeyModulusSize = 128;  // RSA-1024, big-endian
inline constexpr size_t kUpdateKeyExponentSize = 1;   // e must fit one byte

extern const unsigned char kUpdateKeyModulus[kUpdateKeyModulusSize];
extern const unsigned char kUpdateKeyExponent[kUpdateKeyExponentSize];
