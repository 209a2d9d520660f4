#include "crypto/aes_paths.h"

#if defined(__x86_64__) || defined(__i386__)

#include <immintrin.h>

#define QUILLBOX_AESNI __attribute__((target("aes,ssse3")))

namespace {

constexpr size_t kBlocksInFlight = 8;

// Round-key words are big-endian; the instructions want the FIPS-197 byte order.
QUILLBOX_AESNI void LoadRoundKeys(const uint32_t* words, uint32_t rounds, __m128i* keys) {
  const __m128i swapWords = _mm_setr_epi8(3, 2, 1, 0, 7, 6, 5, 4, 11, 10, 9, 8, 15, 14, 13, 12);
  for (uint32_t i = 0; i <= rounds; ++i) {
    const __m128i raw = _mm_loadu_si128(reinterpret_cast<const __m128i*>(words + 4 * i));
    keys[i] = _mm_shuffle_epi8(raw, swapWords);
  }
}

QUILLBOX_AESNI void WipeRoundKeys(__m128i* keys) {
  for (int i = 0; i < 15; ++i) keys[i] = _mm_setzero_si128();
  // Keep the compiler from dropping the stores to a dead array.
  __asm__ __volatile__("" : : "r"(keys) : "memory");
}

template <bool Decrypt, bool Last>
QUILLBOX_AESNI inline __m128i Round(__m128i block, __m128i key) {
  if constexpr (Decrypt)
    return Last ? _mm_aesdeclast_si128(block, key) : _mm_aesdec_si128(block, key);
  else
    return Last ? _mm_aesenclast_si128(block, key) : _mm_aesenc_si128(block, key);
}

// Several independent blocks at once hide the latency of each AES instruction.
template <bool Decrypt>
QUILLBOX_AESNI void CryptBlocks(const __m128i* keys, uint32_t rounds, const uint8_t* in, uint8_t* out,
                                size_t blockCount) {
  size_t i = 0;
  for (; i + kBlocksInFlight <= blockCount; i += kBlocksInFlight) {
    __m128i b[kBlocksInFlight];
#pragma GCC unroll 8
    for (size_t j = 0; j < kBlocksInFlight; ++j)
      b[j] = _mm_xor_si128(_mm_loadu_si128(reinterpret_cast<const __m128i*>(in + 16 * (i + j))), keys[0]);
    for (uint32_t r = 1; r < rounds; ++r) {
      const __m128i key = keys[r];
#pragma GCC unroll 8
      for (size_t j = 0; j < kBlocksInFlight; ++j) b[j] = Round<Decrypt, false>(b[j], key);
    }
#pragma GCC unroll 8
    for (size_t j = 0; j < kBlocksInFlight; ++j)
      _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 16 * (i + j)), Round<Decrypt, true>(b[j], keys[rounds]));
  }
  for (; i < blockCount; ++i) {
    __m128i b = _mm_xor_si128(_mm_loadu_si128(reinterpret_cast<const __m128i*>(in + 16 * i)), keys[0]);
    for (uint32_t r = 1; r < rounds; ++r) b = Round<Decrypt, false>(b, keys[r]);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 16 * i), Round<Decrypt, true>(b, keys[rounds]));
  }
}

template <bool Decrypt>
QUILLBOX_AESNI void Run(const uint32_t* words, uint32_t rounds, const uint8_t* in, uint8_t* out, size_t blockCount) {
  __m128i keys[15];
  LoadRoundKeys(words, rounds, keys);
  CryptBlocks<Decrypt>(keys, rounds, in, out, blockCount);
  WipeRoundKeys(keys);
}

}  // namespace

void AesNiEncryptBlocks(const AesContext& context, const uint8_t* in, uint8_t* out, size_t blockCount) {
  Run<false>(context.encryptKeys, context.roundCount, in, out, blockCount);
}

// The decryption words already form the equivalent inverse cipher schedule,
// which is the one AESDEC expects.
void AesNiDecryptBlocks(const AesContext& context, const uint8_t* in, uint8_t* out, size_t blockCount) {
  Run<true>(context.decryptKeys, context.roundCount, in, out, blockCount);
}

#else

void AesNiEncryptBlocks(const AesContext& context, const uint8_t* in, uint8_t* out, size_t blockCount) {
  AesTableEncryptBlocks(context, in, out, blockCount);
}

void AesNiDecryptBlocks(const AesContext& context, const uint8_t* in, uint8_t* out, size_t blockCount) {
  AesTableDecryptBlocks(context, in, out, blockCount);
}

#endif
