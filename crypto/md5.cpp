#include "crypto/md5.h"

#include "core/byte_order.h"

#include <algorithm>
#include <string.h>

namespace {

constexpr size_t kBlockSize = 64;
constexpr size_t kLengthOffset = 56;

inline uint32_t RotateLeft(uint32_t x, int n) { return (x << n) | (x >> (32 - n)); }

// The round functions are written in the forms with the shortest dependency
// chain on b, which is what limits MD5's speed.
#define MD5_STEP_F(a, b, c, d, x, s, k) a = b + RotateLeft(a + x + k + (d ^ (b & (c ^ d))), s)
#define MD5_STEP_G(a, b, c, d, x, s, k) a = b + RotateLeft(a + x + k + (~d & c) + (d & b), s)
#define MD5_STEP_H(a, b, c, d, x, s, k) a = b + RotateLeft(a + x + k + (b ^ c ^ d), s)
#define MD5_STEP_I(a, b, c, d, x, s, k) a = b + RotateLeft(a + x + k + (c ^ (b | ~d)), s)

void Compress(Md5Context& context, const uint8_t* block) {
  // Words are read straight from the block, so no copy of the message is left on the stack.
  const auto w = [block](int i) { return Load32Le(block + 4 * i); };
  uint32_t a = context.a, b = context.b, c = context.c, d = context.d;

  MD5_STEP_F(a, b, c, d, w(0), 7, 0xd76aa478);
  MD5_STEP_F(d, a, b, c, w(1), 12, 0xe8c7b756);
  MD5_STEP_F(c, d, a, b, w(2), 17, 0x242070db);
  MD5_STEP_F(b, c, d, a, w(3), 22, 0xc1bdceee);
  MD5_STEP_F(a, b, c, d, w(4), 7, 0xf57c0faf);
  MD5_STEP_F(d, a, b, c, w(5), 12, 0x4787c62a);
  MD5_STEP_F(c, d, a, b, w(6), 17, 0xa8304613);
  MD5_STEP_F(b, c, d, a, w(7), 22, 0xfd469501);
  MD5_STEP_F(a, b, c, d, w(8), 7, 0x698098d8);
  MD5_STEP_F(d, a, b, c, w(9), 12, 0x8b44f7af);
  MD5_STEP_F(c, d, a, b, w(10), 17, 0xffff5bb1);
  MD5_STEP_F(b, c, d, a, w(11), 22, 0x895cd7be);
  MD5_STEP_F(a, b, c, d, w(12), 7, 0x6b901122);
  MD5_STEP_F(d, a, b, c, w(13), 12, 0xfd987193);
  MD5_STEP_F(c, d, a, b, w(14), 17, 0xa679438e);
  MD5_STEP_F(b, c, d, a, w(15), 22, 0x49b40821);

  MD5_STEP_G(a, b, c, d, w(1), 5, 0xf61e2562);
  MD5_STEP_G(d, a, b, c, w(6), 9, 0xc040b340);
  MD5_STEP_G(c, d, a, b, w(11), 14, 0x265e5a51);
  MD5_STEP_G(b, c, d, a, w(0), 20, 0xe9b6c7aa);
  MD5_STEP_G(a, b, c, d, w(5), 5, 0xd62f105d);
  MD5_STEP_G(d, a, b, c, w(10), 9, 0x02441453);
  MD5_STEP_G(c, d, a, b, w(15), 14, 0xd8a1e681);
  MD5_STEP_G(b, c, d, a, w(4), 20, 0xe7d3fbc8);
  MD5_STEP_G(a, b, c, d, w(9), 5, 0x21e1cde6);
  MD5_STEP_G(d, a, b, c, w(14), 9, 0xc33707d6);
  MD5_STEP_G(c, d, a, b, w(3), 14, 0xf4d50d87);
  MD5_STEP_G(b, c, d, a, w(8), 20, 0x455a14ed);
  MD5_STEP_G(a, b, c, d, w(13), 5, 0xa9e3e905);
  MD5_STEP_G(d, a, b, c, w(2), 9, 0xfcefa3f8);
  MD5_STEP_G(c, d, a, b, w(7), 14, 0x676f02d9);
  MD5_STEP_G(b, c, d, a, w(12), 20, 0x8d2a4c8a);

  MD5_STEP_H(a, b, c, d, w(5), 4, 0xfffa3942);
  MD5_STEP_H(d, a, b, c, w(8), 11, 0x8771f681);
  MD5_STEP_H(c, d, a, b, w(11), 16, 0x6d9d6122);
  MD5_STEP_H(b, c, d, a, w(14), 23, 0xfde5380c);
  MD5_STEP_H(a, b, c, d, w(1), 4, 0xa4beea44);
  MD5_STEP_H(d, a, b, c, w(4), 11, 0x4bdecfa9);
  MD5_STEP_H(c, d, a, b, w(7), 16, 0xf6bb4b60);
  MD5_STEP_H(b, c, d, a, w(10), 23, 0xbebfbc70);
  MD5_STEP_H(a, b, c, d, w(13), 4, 0x289b7ec6);
  MD5_STEP_H(d, a, b, c, w(0), 11, 0xeaa127fa);
  MD5_STEP_H(c, d, a, b, w(3), 16, 0xd4ef3085);
  MD5_STEP_H(b, c, d, a, w(6), 23, 0x04881d05);
  MD5_STEP_H(a, b, c, d, w(9), 4, 0xd9d4d039);
  MD5_STEP_H(d, a, b, c, w(12), 11, 0xe6db99e5);
  MD5_STEP_H(c, d, a, b, w(15), 16, 0x1fa27cf8);
  MD5_STEP_H(b, c, d, a, w(2), 23, 0xc4ac5665);

  MD5_STEP_I(a, b, c, d, w(0), 6, 0xf4292244);
  MD5_STEP_I(d, a, b, c, w(7), 10, 0x432aff97);
  MD5_STEP_I(c, d, a, b, w(14), 15, 0xab9423a7);
  MD5_STEP_I(b, c, d, a, w(5), 21, 0xfc93a039);
  MD5_STEP_I(a, b, c, d, w(12), 6, 0x655b59c3);
  MD5_STEP_I(d, a, b, c, w(3), 10, 0x8f0ccc92);
  MD5_STEP_I(c, d, a, b, w(10), 15, 0xffeff47d);
  MD5_STEP_I(b, c, d, a, w(1), 21, 0x85845dd1);
  MD5_STEP_I(a, b, c, d, w(8), 6, 0x6fa87e4f);
  MD5_STEP_I(d, a, b, c, w(15), 10, 0xfe2ce6e0);
  MD5_STEP_I(c, d, a, b, w(6), 15, 0xa3014314);
  MD5_STEP_I(b, c, d, a, w(13), 21, 0x4e0811a1);
  MD5_STEP_I(a, b, c, d, w(4), 6, 0xf7537e82);
  MD5_STEP_I(d, a, b, c, w(11), 10, 0xbd3af235);
  MD5_STEP_I(c, d, a, b, w(2), 15, 0x2ad7d2bb);
  MD5_STEP_I(b, c, d, a, w(9), 21, 0xeb86d391);

  context.a += a;
  context.b += b;
  context.c += c;
  context.d += d;
}

#undef MD5_STEP_F
#undef MD5_STEP_G
#undef MD5_STEP_H
#undef MD5_STEP_I

void AddBits(Md5Context& context, size_t length) {
  const uint64_t bits = (uint64_t{context.bitCountHigh} << 32 | context.bitCountLow) + (uint64_t{length} << 3);
  context.bitCountLow = static_cast<uint32_t>(bits);
  context.bitCountHigh = static_cast<uint32_t>(bits >> 32);
}

}  // namespace

void Md5Init(Md5Context& context) {
  context.a = 0x67452301;
  context.b = 0xefcdab89;
  context.c = 0x98badcfe;
  context.d = 0x10325476;
  context.bitCountLow = 0;
  context.bitCountHigh = 0;
  context.pendingCount = 0;
}

void Md5Update(Md5Context& context, const void* data, size_t length) {
  if (length == 0) return;
  const auto* p = static_cast<const uint8_t*>(data);
  AddBits(context, length);
  if (context.pendingCount != 0) {
    const size_t take = std::min(length, kBlockSize - context.pendingCount);
    memcpy(context.block + context.pendingCount, p, take);
    context.pendingCount += static_cast<uint32_t>(take);
    p += take;
    length -= take;
    if (context.pendingCount < kBlockSize) return;
    Compress(context, context.block);
    context.pendingCount = 0;
  }
  for (; length >= kBlockSize; length -= kBlockSize, p += kBlockSize) Compress(context, p);
  memcpy(context.block, p, length);
  context.pendingCount = static_cast<uint32_t>(length);
}

void Md5Final(Md5Context& context) {
  uint8_t* block = context.block;
  size_t used = context.pendingCount;
  block[used++] = 0x80;
  if (used > kLengthOffset) {
    memset(block + used, 0, kBlockSize - used);
    Compress(context, block);
    used = 0;
  }
  memset(block + used, 0, kLengthOffset - used);
  Store32Le(block + kLengthOffset, context.bitCountLow);
  Store32Le(block + kLengthOffset + 4, context.bitCountHigh);
  Compress(context, block);
  // Only the chaining words remain meaningful; drop the last message bytes.
  explicit_bzero(block, kBlockSize);
  context.pendingCount = 0;
}

void Md5StoreDigest(const Md5Context& context, uint8_t out[16]) {
  Store32Le(out, context.a);
  Store32Le(out + 4, context.b);
  Store32Le(out + 8, context.c);
  Store32Le(out + 12, context.d);
}

void Md5Digest(uint8_t out[16], const void* data, size_t length) {
  Md5Context context;
  Md5Init(context);
  Md5Update(context, data, length);
  Md5Final(context);
  Md5StoreDigest(context, out);
  explicit_bzero(&context, sizeof context);
}
