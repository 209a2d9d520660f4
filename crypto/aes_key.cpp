#include "crypto/aes_key.h"

AesKey::AesKey(const uint8_t* key, int keyBits, bool forEncryption) {
  AesSetKey(context_, key, keyBits, forEncryption);
}

AesKey::~AesKey() { AesWipeContext(context_); }

void AesKey::EncryptBlocks(const uint8_t* in, uint8_t* out, size_t blockCount) const {
  AesEncryptBlocks(context_, in, out, blockCount);
}

void AesKey::DecryptBlocks(const uint8_t* in, uint8_t* out, size_t blockCount) const {
  AesDecryptBlocks(context_, in, out, blockCount);
}
