#include "core/byte_order.h"
#include "crypto/aes_paths.h"
#include "crypto/aes_tables.h"

namespace {

// A full round's table words of column i come from the state words i,
// i + step, i + 2 step and i + 3 step (mod 4): step 1 is ShiftRows, step 3
// InvShiftRows.
template <bool Inverse>
struct Direction {
  static constexpr int kStep = Inverse ? 3 : 1;
  static constexpr const auto& kTables = Inverse ? kAesTables.decrypt : kAesTables.encrypt;
  static constexpr const auto& kBox = Inverse ? kAesTables.inverseSbox : kAesTables.sbox;

  static uint32_t Byte(const uint32_t* s, int i, int position, int shift) {
    return (s[(i + position * kStep) & 3] >> shift) & 0xFF;
  }

  static uint32_t Column(const uint32_t* s, int i, uint32_t key) {
    return kTables[0][Byte(s, i, 0, 24)] ^ kTables[1][Byte(s, i, 1, 16)] ^ kTables[2][Byte(s, i, 2, 8)] ^
           kTables[3][Byte(s, i, 3, 0)] ^ key;
  }

  static uint32_t LastColumn(const uint32_t* s, int i, uint32_t key) {
    return (kBox[Byte(s, i, 0, 24)] & 0xFF000000) ^ (kBox[Byte(s, i, 1, 16)] & 0x00FF0000) ^
           (kBox[Byte(s, i, 2, 8)] & 0x0000FF00) ^ (kBox[Byte(s, i, 3, 0)] & 0x000000FF) ^ key;
  }
};

// Round keys are read in place, never copied; the block state is what the
// caller gets as output, so it is not wiped here.
template <bool Inverse>
void CryptBlock(const uint32_t* rk, uint32_t rounds, const uint8_t* in, uint8_t* out) {
  using D = Direction<Inverse>;
  uint32_t s[4];
  uint32_t t[4];
#pragma GCC unroll 4
  for (int i = 0; i < 4; ++i) s[i] = Load32Be(in + 4 * i) ^ rk[i];
  for (uint32_t round = 1; round < rounds; ++round) {
    rk += 4;
#pragma GCC unroll 4
    for (int i = 0; i < 4; ++i) t[i] = D::Column(s, i, rk[i]);
#pragma GCC unroll 4
    for (int i = 0; i < 4; ++i) s[i] = t[i];
  }
  rk += 4;
#pragma GCC unroll 4
  for (int i = 0; i < 4; ++i) t[i] = D::LastColumn(s, i, rk[i]);
#pragma GCC unroll 4
  for (int i = 0; i < 4; ++i) Store32Be(out + 4 * i, t[i]);
}

template <bool Inverse>
void CryptBlocks(const uint32_t* rk, uint32_t rounds, const uint8_t* in, uint8_t* out, size_t blockCount) {
  for (size_t i = 0; i < blockCount; ++i) CryptBlock<Inverse>(rk, rounds, in + 16 * i, out + 16 * i);
}

}  // namespace

void AesTableEncryptBlocks(const AesContext& context, const uint8_t* in, uint8_t* out, size_t blockCount) {
  CryptBlocks<false>(context.encryptKeys, context.roundCount, in, out, blockCount);
}

void AesTableDecryptBlocks(const AesContext& context, const uint8_t* in, uint8_t* out, size_t blockCount) {
  CryptBlocks<true>(context.decryptKeys, context.roundCount, in, out, blockCount);
}
