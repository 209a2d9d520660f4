#include "interchange/kdbx_cipher.h"

#include <algorithm>
#include <openssl/evp.h>

#include <climits>

#include "crypto/twofish_cbc.h"
#include "interchange/kdbx_bytes.h"

namespace {

constexpr char kAes256[] = "\x31\xc1\xf2\xe6\xbf\x71\x43\x50\xbe\x58\x05\x21\x6a\xfc\x5a\xff";
constexpr char kChaCha20[] = "\xd6\x03\x8a\x2b\x8b\x6f\x4c\xb5\xa5\x24\x33\x9a\x31\xdb\xb5\x9a";
constexpr char kTwofish[] = "\xad\x68\xf2\x9f\x57\x6f\x4b\xb9\xa3\x6a\xd4\x7a\xf9\x65\x34\x6c";

std::string_view Uuid(const char* bytes) { return std::string_view(bytes, 16); }

// OpenSSL's ChaCha20 takes the block counter (from 0) before the 12-byte
// nonce KeePass stores.
bool OpenSslIv(KdbxCipher cipher, std::string_view iv, uint8_t out[16]) {
  if (iv.size() != CipherIvSize(cipher)) return false;
  size_t at = cipher == KdbxCipher::kChaCha20 ? 4 : 0;
  for (size_t i = 0; i < 16; ++i) out[i] = i < at ? 0 : static_cast<uint8_t>(iv[i - at]);
  return true;
}

const EVP_CIPHER* Evp(KdbxCipher cipher) {
  return cipher == KdbxCipher::kChaCha20 ? EVP_chacha20() : EVP_aes_256_cbc();
}

// One pass of OpenSSL over the whole payload, in chunks an int can count.
template <typename Bytes>
bool Run(bool encrypt, KdbxCipher cipher, const uint8_t key[32], std::string_view iv, std::span<const uint8_t> in,
         Bytes* out) {
  uint8_t openssl_iv[16];
  if (!OpenSslIv(cipher, iv, openssl_iv)) return false;
  EVP_CIPHER_CTX* context = EVP_CIPHER_CTX_new();
  if (context == nullptr || EVP_CipherInit_ex(context, Evp(cipher), nullptr, key, openssl_iv, encrypt) != 1) {
    EVP_CIPHER_CTX_free(context);
    return false;
  }
  out->resize(in.size() + 16);
  auto* target = reinterpret_cast<uint8_t*>(out->data());
  size_t written = 0;
  bool ok = true;
  for (size_t done = 0; ok && done < in.size();) {
    int piece = static_cast<int>(std::min<size_t>(in.size() - done, INT_MAX / 2));
    int length = 0;
    ok = EVP_CipherUpdate(context, target + written, &length, in.data() + done, piece) == 1;
    done += static_cast<size_t>(piece);
    written += static_cast<size_t>(length);
  }
  int length = 0;
  ok = ok && EVP_CipherFinal_ex(context, target + written, &length) == 1;
  EVP_CIPHER_CTX_free(context);
  out->resize(ok ? written + static_cast<size_t>(length) : 0);
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
  return Run(false, cipher, key, iv, in, out);
}

bool EncryptPayload(KdbxCipher cipher, const uint8_t key[32], std::string_view iv, std::span<const uint8_t> in,
                    std::string* out) {
  if (cipher == KdbxCipher::kTwofishCbc) return RunTwofish(true, key, iv, in, out);
  return Run(true, cipher, key, iv, in, out);
}
