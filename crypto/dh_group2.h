#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

// Diffie-Hellman in RFC 2409's second Oakley group (the 1024-bit MODP
// prime, generator 2), as the Secret Service's dh-ietf1024 sessions use it
// (OpenSSL's numbers, in secure memory and constant time).
inline constexpr size_t kDhGroup2Size = 128;

enum class DhAgreement {
  kAgreed,
  kOutOfRange,  // 1, p-1 and values outside the group would give the key away
  kFailed,      // out of memory
};

// From their public value (unsigned big-endian), a fresh private value
// gives ours and the shared value, both padded to kDhGroup2Size bytes.
DhAgreement AgreeDhGroup2(std::span<const uint8_t> theirs, uint8_t ours[kDhGroup2Size], uint8_t shared[kDhGroup2Size]);
