#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "crypto/chacha20.h"
#include "interchange/protected_value_stream.h"

// The inner streams KeePass names by number.
inline constexpr uint32_t kInnerStreamSalsa20 = 2;
inline constexpr uint32_t kInnerStreamChaCha20 = 3;

// The key stream of a KDBX file's protected values, one continuous stream
// across calls: ChaCha20 (KDBX 4; key and nonce from SHA-512 of the inner
// key, crypto/chacha20's) or Salsa20 (KDBX 3.1; key SHA-256 of the inner key
// and KeePass's fixed nonce, through libsodium).
class KdbxInnerStream final : public ProtectedValueStream {
 public:
  KdbxInnerStream() = default;
  ~KdbxInnerStream();
  KdbxInnerStream(const KdbxInnerStream&) = delete;
  KdbxInnerStream& operator=(const KdbxInnerStream&) = delete;

  // False, with the reason, for another stream (KeePass's old ARC4
  // variant among them) or a key the library refuses.
  bool Start(uint32_t id, std::string_view key, std::string* error);
  void Apply(std::span<uint8_t> bytes) override;

 private:
  void NextSalsa20Block();

  uint32_t id_ = 0;
  ChaCha20Stream chacha20_;
  uint8_t salsa20_key_[32] = {};
  uint8_t salsa20_block_[64] = {};
  uint64_t salsa20_counter_ = 0;
  size_t salsa20_used_ = 64;
};
