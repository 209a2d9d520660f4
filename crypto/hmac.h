#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <span>

// HMAC (OpenSSL's) over the parts given one after another.
enum class HmacDigest { kSha1, kSha256, kSha512 };

inline constexpr size_t kHmacMaxSize = 64;

// Writes the digest's size (20, 32 or 64 bytes) to out and *size; false when
// OpenSSL fails, with out wiped.
bool Hmac(HmacDigest digest, std::span<const uint8_t> key, std::initializer_list<std::span<const uint8_t>> parts,
          uint8_t out[kHmacMaxSize], size_t* size);
// Aborts where Hmac fails, as the digests of crypto/sha do.
void HmacSha256(std::span<const uint8_t> key, std::initializer_list<std::span<const uint8_t>> parts, uint8_t out[32]);
