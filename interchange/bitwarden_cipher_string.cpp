#include "interchange/bitwarden_cipher_string.h"

#include <openssl/crypto.h>
#include <openssl/evp.h>
#include <openssl/hmac.h>
#include <sodium.h>

#include <vector>

namespace {

constexpr size_t kIvSize = 16;
constexpr size_t kMacSize = 32;

bool DecodeBase64(std::string_view text, std::vector<uint8_t>* bytes) {
  bytes->resize(text.size() / 4 * 3 + 3);
  size_t size = 0;
  if (sodium_base642bin(bytes->data(), bytes->size(), text.data(), text.size(), nullptr, &size, nullptr,
                        sodium_base64_VARIANT_ORIGINAL) != 0) {
    return false;
  }
  bytes->resize(size);
  return true;
}

bool Decrypt(const std::vector<uint8_t>& iv, const std::vector<uint8_t>& ciphertext, const uint8_t* key,
             WipingString* plain) {
  EVP_CIPHER_CTX* context = EVP_CIPHER_CTX_new();
  plain->resize(ciphertext.size() + kIvSize);
  int written = 0;
  int last = 0;
  bool ok = context != nullptr && EVP_DecryptInit_ex(context, EVP_aes_256_cbc(), nullptr, key, iv.data()) == 1 &&
            EVP_DecryptUpdate(context, reinterpret_cast<unsigned char*>(plain->data()), &written, ciphertext.data(),
                              static_cast<int>(ciphertext.size())) == 1 &&
            EVP_DecryptFinal_ex(context, reinterpret_cast<unsigned char*>(plain->data()) + written, &last) == 1;
  EVP_CIPHER_CTX_free(context);
  plain->resize(ok ? static_cast<size_t>(written + last) : 0);
  return ok;
}

}  // namespace

CipherStringResult OpenCipherString(std::string_view text, const BitwardenKeys& keys, WipingString* plain) {
  if (!text.starts_with("2.")) return CipherStringResult::kMalformed;
  text.remove_prefix(2);
  size_t first = text.find('|');
  size_t second = first == std::string_view::npos ? first : text.find('|', first + 1);
  if (second == std::string_view::npos || text.find('|', second + 1) != std::string_view::npos) {
    return CipherStringResult::kMalformed;
  }
  std::vector<uint8_t> iv, ciphertext, mac;
  if (!DecodeBase64(text.substr(0, first), &iv) ||
      !DecodeBase64(text.substr(first + 1, second - first - 1), &ciphertext) ||
      !DecodeBase64(text.substr(second + 1), &mac) || iv.size() != kIvSize || mac.size() != kMacSize ||
      ciphertext.empty() || ciphertext.size() % kIvSize != 0 || ciphertext.size() > INT32_MAX) {
    return CipherStringResult::kMalformed;
  }
  std::vector<uint8_t> signed_bytes(iv);
  signed_bytes.insert(signed_bytes.end(), ciphertext.begin(), ciphertext.end());
  uint8_t expected[kMacSize];
  unsigned expected_size = 0;
  if (HMAC(EVP_sha256(), keys.mac, BitwardenKeys::kSize, signed_bytes.data(), signed_bytes.size(), expected,
           &expected_size) == nullptr ||
      expected_size != kMacSize || CRYPTO_memcmp(expected, mac.data(), kMacSize) != 0) {
    return CipherStringResult::kMacMismatch;
  }
  return Decrypt(iv, ciphertext, keys.enc, plain) ? CipherStringResult::kOpened : CipherStringResult::kMalformed;
}
