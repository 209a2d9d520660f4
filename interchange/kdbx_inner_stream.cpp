#include "interchange/kdbx_inner_stream.h"

#include <sodium.h>
#include <string.h>

#include "crypto/sha.h"
#include "crypto/sodium_init.h"
#include "interchange/kdbx_bytes.h"

namespace {

constexpr uint8_t kSalsa20Nonce[8] = {0xE8, 0x30, 0x09, 0x4B, 0x97, 0x20, 0x5D, 0x2A};

}  // namespace

KdbxInnerStream::~KdbxInnerStream() {
  explicit_bzero(salsa20_key_, sizeof salsa20_key_);
  explicit_bzero(salsa20_block_, sizeof salsa20_block_);
}

bool KdbxInnerStream::Start(uint32_t id, std::string_view key, std::string* error) {
  id_ = id;
  if (id == kInnerStreamSalsa20) {
    if (!InitSodium()) {
      *error = "libsodium cannot start";
      return false;
    }
    Sha256({AsBytes(key)}, salsa20_key_);
    return true;
  }
  if (id != kInnerStreamChaCha20) {
    *error = "the database protects its values with an inner stream (" + std::to_string(id) + ") that is not supported";
    return false;
  }
  uint8_t hash[64];
  Sha512({AsBytes(key)}, hash);
  bool ok = chacha20_.Start(hash, hash + 32);
  explicit_bzero(hash, sizeof hash);
  if (!ok) *error = "OpenSSL cannot start ChaCha20";
  return ok;
}

void KdbxInnerStream::NextSalsa20Block() {
  memset(salsa20_block_, 0, sizeof salsa20_block_);
  crypto_stream_salsa20_xor_ic(salsa20_block_, salsa20_block_, sizeof salsa20_block_, kSalsa20Nonce, salsa20_counter_++,
                               salsa20_key_);
  salsa20_used_ = 0;
}

void KdbxInnerStream::Apply(std::span<uint8_t> bytes) {
  if (id_ == kInnerStreamChaCha20) {
    chacha20_.Apply(bytes, bytes.data());
    return;
  }
  for (uint8_t& byte : bytes) {
    if (salsa20_used_ == sizeof salsa20_block_) NextSalsa20Block();
    byte ^= salsa20_block_[salsa20_used_++];
  }
}
