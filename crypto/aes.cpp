#include "crypto/aes.h"

#include "core/byte_order.h"
#include "crypto/aes_paths.h"
#include "crypto/aes_tables.h"
#include "crypto/cpu_features.h"

#include <string.h>

namespace {

constexpr int kWordsPerRoundKey = 4;

int RoundCountForKeyBits(int keyBits) {
  switch (keyBits) {
    case 128:
      return 10;
    case 192:
      return 12;
    case 256:
      return 14;
    default:
      return 0;
  }
}

uint32_t SubWord(uint32_t w) {
  const uint32_t* sbox = kAesTables.sbox;
  return (sbox[w >> 24] & 0xFF000000) ^ (sbox[(w >> 16) & 0xFF] & 0x00FF0000) ^ (sbox[(w >> 8) & 0xFF] & 0x0000FF00) ^
         (sbox[w & 0xFF] & 0x000000FF);
}

uint32_t RotWord(uint32_t w) { return (w << 8) | (w >> 24); }

void ExpandKey(uint32_t* w, const uint8_t* key, int keyWords, int roundCount) {
  const int totalWords = kWordsPerRoundKey * (roundCount + 1);
  for (int i = 0; i < keyWords; ++i) w[i] = Load32Be(key + 4 * i);
  for (int i = keyWords; i < totalWords; ++i) {
    uint32_t temp = w[i - 1];
    if (i % keyWords == 0)
      temp = SubWord(RotWord(temp)) ^ kAesTables.roundConstants[i / keyWords - 1];
    else if (keyWords > 6 && i % keyWords == 4)
      temp = SubWord(temp);
    w[i] = w[i - keyWords] ^ temp;
  }
}

uint32_t InvMixColumnsWord(uint32_t w) {
  // The decryption tables include InvSubBytes, so undo it with the S-box first.
  const uint32_t* sbox = kAesTables.sbox;
  const auto& td = kAesTables.decrypt;
  return td[0][sbox[w >> 24] & 0xFF] ^ td[1][sbox[(w >> 16) & 0xFF] & 0xFF] ^ td[2][sbox[(w >> 8) & 0xFF] & 0xFF] ^
         td[3][sbox[w & 0xFF] & 0xFF];
}

// FIPS-197 5.3.5: round keys in reverse order, InvMixColumns on all but the outer two.
void BuildInverseSchedule(AesContext& context) {
  uint32_t* dk = context.decryptKeys;
  const int rounds = static_cast<int>(context.roundCount);
  memcpy(dk, context.encryptKeys, sizeof context.decryptKeys);
  for (int low = 0, high = rounds; low < high; ++low, --high) {
    for (int j = 0; j < kWordsPerRoundKey; ++j) {
      const uint32_t swap = dk[kWordsPerRoundKey * low + j];
      dk[kWordsPerRoundKey * low + j] = dk[kWordsPerRoundKey * high + j];
      dk[kWordsPerRoundKey * high + j] = swap;
    }
  }
  for (int i = kWordsPerRoundKey; i < kWordsPerRoundKey * rounds; ++i) dk[i] = InvMixColumnsWord(dk[i]);
}

bool HasUsableSchedule(const AesContext& context) {
  return context.roundCount == 10 || context.roundCount == 12 || context.roundCount == 14;
}

using BlocksFunction = void (*)(const AesContext&, const uint8_t*, uint8_t*, size_t);

void CryptBlocks(BlocksFunction accelerated, BlocksFunction portable, const AesContext& context, const uint8_t* in,
                 uint8_t* out, size_t blockCount) {
  if (blockCount == 0) return;
  if (!HasUsableSchedule(context)) {
    // Never let plaintext through as if it were ciphertext.
    memset(out, 0, blockCount * kAesBlockSize);
    return;
  }
  if (AesNiAvailable())
    accelerated(context, in, out, blockCount);
  else
    portable(context, in, out, blockCount);
}

}  // namespace

void AesSetKey(AesContext& context, const uint8_t* key, int keyBits, bool forEncryption) {
  explicit_bzero(&context, sizeof context);
  context.direction = forEncryption ? 0 : 1;
  const int rounds = RoundCountForKeyBits(keyBits);
  if (rounds == 0 || key == nullptr) return;
  context.roundCount = static_cast<uint32_t>(rounds);
  ExpandKey(context.encryptKeys, key, keyBits / 32, rounds);
  if (!forEncryption) BuildInverseSchedule(context);
}

void AesEncryptBlocks(const AesContext& context, const uint8_t* in, uint8_t* out, size_t blockCount) {
  CryptBlocks(AesNiEncryptBlocks, AesTableEncryptBlocks, context, in, out, blockCount);
}

void AesDecryptBlocks(const AesContext& context, const uint8_t* in, uint8_t* out, size_t blockCount) {
  CryptBlocks(AesNiDecryptBlocks, AesTableDecryptBlocks, context, in, out, blockCount);
}

void AesEncryptBlock(const AesContext& context, const uint8_t in[16], uint8_t out[16]) {
  AesEncryptBlocks(context, in, out, 1);
}

void AesDecryptBlock(const AesContext& context, const uint8_t in[16], uint8_t out[16]) {
  AesDecryptBlocks(context, in, out, 1);
}

void AesWipeContext(AesContext& context) { explicit_bzero(&context, sizeof context); }
