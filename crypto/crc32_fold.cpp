#include "crypto/crc32_paths.h"

#if defined(__x86_64__) || defined(__i386__)

#include <immintrin.h>

#define QUILLBOX_CLMUL __attribute__((target("pclmul,sse4.1")))

// Folding with carry-less multiplication after Gopal et al., "Fast CRC
// Computation for Generic Polynomials Using PCLMULQDQ Instruction" (Intel,
// 2009). The constants are powers of x modulo the polynomial, bit-reflected
// and shifted left by one.
namespace {

constexpr uint64_t kFold4Low = 0x154442BD4;   // x^(4*128+32) mod P
constexpr uint64_t kFold4High = 0x1C6E41596;  // x^(4*128-32) mod P
constexpr uint64_t kFold1Low = 0x1751997D0;   // x^(128+32) mod P
constexpr uint64_t kFold1High = 0x0CCAA009E;  // x^(128-32) mod P
constexpr uint64_t kFold64 = 0x163CD6124;     // x^64 mod P
constexpr uint64_t kPolynomial = 0x1DB710641;
constexpr uint64_t kBarrettMu = 0x1F7011641;

QUILLBOX_CLMUL inline __m128i Load(const uint8_t* p) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p)); }

// Moves x forward over the distance the constants stand for and adds data.
QUILLBOX_CLMUL inline __m128i Fold(__m128i x, __m128i constants, __m128i data) {
  const __m128i low = _mm_clmulepi64_si128(x, constants, 0x00);
  const __m128i high = _mm_clmulepi64_si128(x, constants, 0x11);
  return _mm_xor_si128(_mm_xor_si128(low, high), data);
}

QUILLBOX_CLMUL inline __m128i Constants(uint64_t low, uint64_t high) {
  return _mm_set_epi64x(static_cast<long long>(high), static_cast<long long>(low));
}

}  // namespace

// Four independent accumulators keep the multiplier busy; on current
// processors its throughput, not its latency, is then the limit.
QUILLBOX_CLMUL uint32_t Crc32Fold(uint32_t c, const uint8_t* p, size_t length) {
  __m128i lanes[4];
  for (int i = 0; i < 4; ++i) lanes[i] = Load(p + 16 * i);
  lanes[0] = _mm_xor_si128(lanes[0], _mm_cvtsi32_si128(static_cast<int>(c)));
  p += 64;
  length -= 64;

  const __m128i fold4 = Constants(kFold4Low, kFold4High);
  for (; length >= 64; length -= 64, p += 64) {
#pragma GCC unroll 4
    for (int i = 0; i < 4; ++i) lanes[i] = Fold(lanes[i], fold4, Load(p + 16 * i));
  }

  const __m128i fold1 = Constants(kFold1Low, kFold1High);
  __m128i x0 = lanes[0];
  for (int i = 1; i < 4; ++i) x0 = Fold(x0, fold1, lanes[i]);
  for (; length >= 16; length -= 16, p += 16) x0 = Fold(x0, fold1, Load(p));

  // 128 bits down to 64.
  const __m128i low32 = _mm_setr_epi32(-1, 0, -1, 0);
  __m128i x = _mm_xor_si128(_mm_srli_si128(x0, 8), _mm_clmulepi64_si128(x0, fold1, 0x10));
  const __m128i fold64 = Constants(kFold64, 0);
  x = _mm_xor_si128(_mm_srli_si128(x, 4), _mm_clmulepi64_si128(_mm_and_si128(x, low32), fold64, 0x00));

  // Barrett reduction to 32 bits.
  const __m128i barrett = Constants(kPolynomial, kBarrettMu);
  __m128i t = _mm_clmulepi64_si128(_mm_and_si128(x, low32), barrett, 0x10);
  t = _mm_clmulepi64_si128(_mm_and_si128(t, low32), barrett, 0x00);
  x = _mm_xor_si128(x, t);
  return static_cast<uint32_t>(_mm_extract_epi32(x, 1));
}

#else

uint32_t Crc32Fold(uint32_t c, const uint8_t* p, size_t length) { return Crc32Slice8(c, p, length); }

#endif
