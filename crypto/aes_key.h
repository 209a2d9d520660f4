#pragma once

#include "crypto/aes.h"

// Owns an AesContext for one scope and wipes its key schedules on the way out.
class AesKey {
 public:
  AesKey(const uint8_t* key, int keyBits, bool forEncryption);
  ~AesKey();

  AesKey(const AesKey&) = delete;
  AesKey& operator=(const AesKey&) = delete;

  const AesContext& Context() const { return context_; }
  bool IsValid() const { return context_.roundCount != 0; }

  void EncryptBlocks(const uint8_t* in, uint8_t* out, size_t blockCount) const;
  void DecryptBlocks(const uint8_t* in, uint8_t* out, size_t blockCount) const;

 private:
  AesContext context_;
};
