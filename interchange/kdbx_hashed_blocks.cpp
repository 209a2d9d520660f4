#include "interchange/kdbx_hashed_blocks.h"

#include "crypto/sha.h"
#include "interchange/kdbx_bytes.h"

bool ReadHashedBlocks(std::span<const uint8_t> blocks, WipingBytes* payload, std::string* error) {
  KdbxByteReader reader(AsText(blocks));
  payload->reserve(blocks.size());
  for (uint32_t expected = 0;; ++expected) {
    uint32_t index = 0, size = 0;
    std::string_view hash, data;
    if (!reader.U32(&index) || !reader.Take(32, &hash) || !reader.U32(&size) || !reader.Take(size, &data)) {
      *error = "the database is damaged: its payload is cut short";
      return false;
    }
    if (index != expected) {
      *error = "the database is damaged: its block " + std::to_string(expected) + " is out of order";
      return false;
    }
    if (size == 0) return true;
    uint8_t digest[32];
    Sha256({AsBytes(data)}, digest);
    if (!SameDigest(digest, AsBytes(hash))) {
      *error = "the database is damaged: its block " + std::to_string(index) + " does not match its hash";
      return false;
    }
    payload->insert(payload->end(), data.begin(), data.end());
  }
}
