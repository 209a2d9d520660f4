#include "interchange/kdbx_cipher.h"

#include "crypto/aes_cbc.h"
#include "crypto/chacha20.h"
#include "crypto/twofish_cbc.h"
#include "interchange/kdbx_bytes.h"

namespace {

constexpr char kAes256[] = "\x31\xc1\xf2\xe6\xbf\x71\x43\x50\xbe\x58\x05\x21\x6a\xfc\x5a\xff";
constexpr char kChaCha20[] = "\xd6\x03\x8a\x2b\x8b\x6f\x4c\xb5\xa5\x24\x33\x9a\x31\xdb\xb5\x9a";
constexpr char kTwofish[] = "\xad\x68\xf2\x9f\x57\x6f\x4b\xb9\xa3\x6a\xd4\x7a\xf9\x65\x34\x6c";

std::string_view Uuid(const char* bytes) { return std::string_view(bytes, 16); }

template <typename Bytes>
bool RunChaCha20(const uint8_t key[32], std::string_view iv, std::span<const uint8_t> in, Bytes* out) {
  ChaCha20Stream stream;
  if (iv.size() != CipherIvSize(KdbxCipher::kChaCha20) || !stream.Start(key, AsBytes(iv).data())) return false;
  out->resize(in.size());
  stream.Apply(in, reinterpret_cast<uint8_t*>(out->data()));
  return true;
}

template <typename Bytes>
bool RunAes(bool encrypt, const uint8_t key[32], std::string_view iv, std::span<const uint8_t> in, Bytes* out) {
  if (iv.size() != CipherIvSize(KdbxCipher::kAes256Cbc)) return false;
  const uint8_t* iv_bytes = AsBytes(iv).data();
  out->resize(encrypt ? AesCbcPaddedSize(in.size()) : in.size());
  std::span<uint8_t> target(reinterpret_cast<uint8_t*>(out->data()), out->size());
  size_t plain_size = 0;
  bool ok = encrypt ? AesCbcEncrypt({key, 32}, iv_bytes, in, target)
                    : AesCbcDecrypt({key, 32}, iv_bytes, in, target, &plain_size) == AesCbcOpen::kOpened;
  out->resize(ok ? (encrypt ? target.size() : plain_size) : 0);
  return ok;
}

template <typename Bytes>
bool RunTwofish(bool encrypt, const uint8_t key[32], std::string_view iv, std::span<const uint8_t> in, Bytes* out) {
  if (iv.size() != kTwofishBlockSize) return false;
  const auto* iv_bytes = reinterpret_cast<const uint8_t*>(iv.data());
  out->resize(encrypt ? TwofishCbcPaddedSize(in.size()) : in.size());
  std::span<uint8_t> target(reinterpret_cast<uint8_t*>(out->data()), out->size());
  size_t plain_size = 0;
  bool ok = encrypt ? TwofishCbcEncrypt(key, iv_bytes, in, target)
                    : TwofishCbcDecrypt(key, iv_bytes, in, target, &plain_size);
  out->resize(ok ? (encrypt ? target.size() : plain_size) : 0);
  return ok;
}

}  // namespace

bool CipherOfUuid(std::string_view uuid, KdbxCipher* cipher, std::string* error) {
  if (uuid == Uuid(kAes256)) {
    *cipher = KdbxCipher::kAes256Cbc;
  } else if (uuid == Uuid(kChaCha20)) {
    *cipher = KdbxCipher::kChaCha20;
  } else if (uuid == Uuid(kTwofish)) {
    *cipher = KdbxCipher::kTwofishCbc;
  } else {
    *error = "the database's cipher is of an unknown kind, which is not supported";
    return false;
  }
  return true;
}

std::string_view UuidOfCipher(KdbxCipher cipher) {
  switch (cipher) {
    case KdbxCipher::kChaCha20:
      return Uuid(kChaCha20);
    case KdbxCipher::kTwofishCbc:
      return Uuid(kTwofish);
    case KdbxCipher::kAes256Cbc:
      break;
  }
  return Uuid(kAes256);
}

size_t CipherIvSize(KdbxCipher cipher) { return cipher == KdbxCipher::kChaCha20 ? 12 : 16; }

bool DecryptPayload(KdbxCipher cipher, const uint8_t key[32], std::string_view iv, std::span<const uint8_t> in,
                    WipingBytes* out) {
  if (cipher == KdbxCipher::kTwofishCbc) return RunTwofish(false, key, iv, in, out);
  if (cipher == KdbxCipher::kChaCha20) return RunChaCha20(key, iv, in, out);
  return RunAes(false, key, iv, in, out);
}

bool EncryptPayload(KdbxCipher cipher, const uint8_t key[32], std::string_view iv, std::span<const uint8_t> in,
                    std::string* out) {
  if (cipher == KdbxCipher::kTwofishCbc) return RunTwofish(true, key, iv, in, out);
  if (cipher == KdbxCipher::kChaCha20) return RunChaCha20(key, iv, in, out);
  return RunAes(true, key, iv, in, out);
}
