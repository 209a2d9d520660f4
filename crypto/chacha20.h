#pragma once

#include <cstdint>
#include <span>

// ChaCha20 as RFC 8439 has it (a 32-byte key, a 12-byte nonce, the block
// counter from 0), one continuous key stream across calls (OpenSSL's).
class ChaCha20Stream {
 public:
  ChaCha20Stream() = default;
  ~ChaCha20Stream();
  ChaCha20Stream(const ChaCha20Stream&) = delete;
  ChaCha20Stream& operator=(const ChaCha20Stream&) = delete;

  // False when OpenSSL cannot start the cipher.
  bool Start(const uint8_t key[32], const uint8_t nonce[12]);
  // XORs the next in.size() bytes of the stream into out, which may be in.
  void Apply(std::span<const uint8_t> in, uint8_t* out);

 private:
  void* context_ = nullptr;  // OpenSSL's EVP_CIPHER_CTX
};
