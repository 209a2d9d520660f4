#pragma once

#include <cstddef>
#include <cstdint>

// MD5 (RFC 1321) running state.
struct Md5Context {
  uint32_t a, b, c, d;
  uint32_t bitCountLow, bitCountHigh;
  uint32_t pendingCount;
  uint8_t block[64];
};

inline constexpr size_t kMd5DigestSize = 16;

void Md5Init(Md5Context& context);
void Md5Update(Md5Context& context, const void* data, size_t length);
// Pads and compresses the last block(s); the chaining words are then the digest.
void Md5Final(Md5Context& context);
void Md5Digest(uint8_t out[16], const void* data, size_t length);
// The digest bytes of a finalised context in RFC 1321 order.
void Md5StoreDigest(const Md5Context& context, uint8_t out[16]);
