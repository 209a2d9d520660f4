#include "interchange/kdbx_hmac_blocks.h"

#include <algorithm>
#include <string.h>

#include "crypto/hmac.h"
#include "crypto/sha.h"
#include "interchange/kdbx_bytes.h"

namespace {

void BlockHmac(const uint8_t base[64], uint64_t index, std::span<const uint8_t> data, uint8_t hmac[32]) {
  uint8_t index_bytes[8], size_bytes[4], key[64];
  for (int i = 0; i < 8; ++i) index_bytes[i] = static_cast<uint8_t>(index >> (8 * i));
  for (int i = 0; i < 4; ++i) size_bytes[i] = static_cast<uint8_t>(data.size() >> (8 * i));
  Sha512({index_bytes, std::span<const uint8_t>(base, 64)}, key);
  HmacSha256(key, {index_bytes, size_bytes, data}, hmac);
  explicit_bzero(key, sizeof key);
}

}  // namespace

void HmacBaseKey(std::string_view master_seed, const uint8_t transformed[32], uint8_t base[64]) {
  const uint8_t one = 1;
  Sha512({AsBytes(master_seed), std::span<const uint8_t>(transformed, 32), std::span<const uint8_t>(&one, 1)}, base);
}

void HeaderHmac(const uint8_t base[64], std::string_view header, uint8_t hmac[32]) {
  uint8_t key[64];
  uint8_t index[8];
  memset(index, 0xFF, sizeof index);
  Sha512({index, std::span<const uint8_t>(base, 64)}, key);
  HmacSha256(key, {AsBytes(header)}, hmac);
  explicit_bzero(key, sizeof key);
}

HmacBlocksResult ReadHmacBlocks(std::string_view blocks, const uint8_t base[64], std::string* payload) {
  KdbxByteReader reader(blocks);
  std::string gathered;
  gathered.reserve(blocks.size());
  for (uint64_t index = 0;; ++index) {
    std::string_view stored, data;
    uint32_t size = 0;
    if (!reader.Take(32, &stored) || !reader.U32(&size) || size > INT32_MAX || !reader.Take(size, &data)) {
      return HmacBlocksResult::kCutShort;
    }
    uint8_t hmac[32];
    BlockHmac(base, index, AsBytes(data), hmac);
    if (!SameDigest(hmac, AsBytes(stored))) return HmacBlocksResult::kDamaged;
    if (size == 0) break;
    gathered += data;
  }
  *payload = std::move(gathered);
  return HmacBlocksResult::kRead;
}

void WriteHmacBlocks(std::span<const uint8_t> payload, const uint8_t base[64], size_t block_size, std::string* out) {
  for (size_t at = 0, index = 0;; ++index) {
    std::span<const uint8_t> data = payload.subspan(at, std::min(block_size, payload.size() - at));
    at += data.size();
    uint8_t hmac[32];
    BlockHmac(base, index, data, hmac);
    out->append(AsText(hmac));
    AppendLittle(out, data.size(), 4);
    out->append(AsText(data));
    if (data.empty()) return;
  }
}
