#pragma once

#include <cstddef>
#include <cstdint>

// AES (FIPS-197) for 128-, 192- and 256-bit keys. Round-key words hold four
// key bytes big-endian; blocks and keys cross the interface as byte arrays.
struct AesContext {
  uint32_t direction;   // 0 = set up for encryption, 1 = for decryption
  uint32_t roundCount;  // 10, 12 or 14; 0 after an unsupported key size
  uint32_t encryptKeys[60];
  uint32_t decryptKeys[60];  // equivalent inverse cipher schedule; all zero when encrypting
};

inline constexpr size_t kAesBlockSize = 16;

void AesSetKey(AesContext& context, const uint8_t* key, int keyBits, bool forEncryption);

// A single block; input and output may be the same buffer.
void AesEncryptBlock(const AesContext& context, const uint8_t in[16], uint8_t out[16]);
void AesDecryptBlock(const AesContext& context, const uint8_t in[16], uint8_t out[16]);

// blockCount independent 16-byte blocks (ECB); in == out is allowed.
void AesEncryptBlocks(const AesContext& context, const uint8_t* in, uint8_t* out, size_t blockCount);
void AesDecryptBlocks(const AesContext& context, const uint8_t* in, uint8_t* out, size_t blockCount);

// Wipes both key schedules and the header fields.
void AesWipeContext(AesContext& context);
