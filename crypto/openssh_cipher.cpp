#include "crypto/openssh_cipher.h"

#include <openssl/evp.h>
#include <sodium.h>

#include <cstring>
#include <memory>

#include "crypto/sodium_init.h"

namespace {

constexpr size_t kTagSize = 16;
constexpr size_t kChaChaKeySize = 32;

struct CipherRow {
  OpenSshCipher cipher;
  const EVP_CIPHER* (*evp)();  // null: chacha20-poly1305, from libsodium
};

// OpenSSH's own table: a CTR or CBC IV is one block; GCM's is 12 bytes.
constexpr CipherRow kCiphers[] = {
    {{"aes128-ctr", 16, 16, 16, 0}, EVP_aes_128_ctr},
    {{"aes192-ctr", 24, 16, 16, 0}, EVP_aes_192_ctr},
    {{"aes256-ctr", 32, 16, 16, 0}, EVP_aes_256_ctr},
    {{"aes128-cbc", 16, 16, 16, 0}, EVP_aes_128_cbc},
    {{"aes192-cbc", 24, 16, 16, 0}, EVP_aes_192_cbc},
    {{"aes256-cbc", 32, 16, 16, 0}, EVP_aes_256_cbc},
    {{"aes128-gcm@openssh.com", 16, 12, 16, kTagSize}, EVP_aes_128_gcm},
    {{"aes256-gcm@openssh.com", 32, 12, 16, kTagSize}, EVP_aes_256_gcm},
    {{"3des-cbc", 24, 8, 8, 0}, EVP_des_ede3_cbc},
    // Two ChaCha20 keys, the second only for packet lengths; no IV.
    {{"chacha20-poly1305@openssh.com", 2 * kChaChaKeySize, 0, 8, kTagSize}, nullptr},
};

const CipherRow* FindRow(const OpenSshCipher& cipher) {
  for (const CipherRow& row : kCiphers) {
    if (row.cipher.name == cipher.name) return &row;
  }
  return nullptr;
}

using CipherContext = std::unique_ptr<EVP_CIPHER_CTX, decltype(&EVP_CIPHER_CTX_free)>;

OpenSshOpen OpenWithOpenSsl(const CipherRow& row, std::span<const uint8_t> keyAndIv, std::span<const uint8_t> sealed,
                            std::span<const uint8_t> tag, std::span<uint8_t> plain) {
  const OpenSshCipher& cipher = row.cipher;
  CipherContext context(EVP_CIPHER_CTX_new(), EVP_CIPHER_CTX_free);
  int written = 0, last = 0;
  bool ok =
      context != nullptr && EVP_DecryptInit_ex(context.get(), row.evp(), nullptr, nullptr, nullptr) == 1 &&
      (cipher.tagSize == 0 ||
       EVP_CIPHER_CTX_ctrl(context.get(), EVP_CTRL_GCM_SET_IVLEN, static_cast<int>(cipher.ivSize), nullptr) == 1) &&
      EVP_DecryptInit_ex(context.get(), nullptr, nullptr, keyAndIv.data(), keyAndIv.data() + cipher.keySize) == 1 &&
      // The section is whole blocks; CBC padding is OpenSSH's own, inside it.
      EVP_CIPHER_CTX_set_padding(context.get(), 0) == 1 &&
      EVP_DecryptUpdate(context.get(), plain.data(), &written, sealed.data(), static_cast<int>(sealed.size())) == 1;
  if (!ok) return OpenSshOpen::kFailed;
  if (cipher.tagSize != 0) {
    uint8_t expected[kTagSize];
    memcpy(expected, tag.data(), kTagSize);
    if (EVP_CIPHER_CTX_ctrl(context.get(), EVP_CTRL_GCM_SET_TAG, static_cast<int>(kTagSize), expected) != 1) {
      return OpenSshOpen::kFailed;
    }
  }
  if (EVP_DecryptFinal_ex(context.get(), plain.data() + written, &last) != 1) {
    sodium_memzero(plain.data(), plain.size());
    return cipher.tagSize != 0 ? OpenSshOpen::kTagMismatch : OpenSshOpen::kFailed;
  }
  return OpenSshOpen::kOpened;
}

// OpenSSH's chacha20-poly1305 for packet number 0 with no length: the
// Poly1305 key is the first keystream block, the text starts at block 1.
OpenSshOpen OpenChaChaPoly(std::span<const uint8_t> keyAndIv, std::span<const uint8_t> sealed,
                           std::span<const uint8_t> tag, std::span<uint8_t> plain) {
  if (!InitSodium()) return OpenSshOpen::kFailed;
  const uint8_t nonce[crypto_stream_chacha20_NONCEBYTES] = {};
  uint8_t polyKey[crypto_onetimeauth_poly1305_KEYBYTES];
  crypto_stream_chacha20(polyKey, sizeof polyKey, nonce, keyAndIv.data());
  int verified = crypto_onetimeauth_poly1305_verify(tag.data(), sealed.data(), sealed.size(), polyKey);
  sodium_memzero(polyKey, sizeof polyKey);
  if (verified != 0) return OpenSshOpen::kTagMismatch;
  crypto_stream_chacha20_xor_ic(plain.data(), sealed.data(), sealed.size(), nonce, 1, keyAndIv.data());
  return OpenSshOpen::kOpened;
}

}  // namespace

const OpenSshCipher* FindOpenSshCipher(std::string_view name) {
  for (const CipherRow& row : kCiphers) {
    if (row.cipher.name == name) return &row.cipher;
  }
  return nullptr;
}

OpenSshOpen OpenOpenSshSection(const OpenSshCipher& cipher, std::span<const uint8_t> keyAndIv,
                               std::span<const uint8_t> sealed, std::span<const uint8_t> tag,
                               std::span<uint8_t> plain) {
  const CipherRow* row = FindRow(cipher);
  if (row == nullptr || keyAndIv.size() != cipher.keySize + cipher.ivSize || tag.size() != cipher.tagSize ||
      plain.size() != sealed.size() || sealed.size() > static_cast<size_t>(INT32_MAX)) {
    return OpenSshOpen::kFailed;
  }
  if (row->evp == nullptr) return OpenChaChaPoly(keyAndIv, sealed, tag, plain);
  return OpenWithOpenSsl(*row, keyAndIv, sealed, tag, plain);
}
