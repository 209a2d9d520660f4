#include "interchange/bitwarden_cipher_string.h"

#include <sodium.h>

#include <vector>

#include "crypto/aes_cbc.h"
#include "crypto/hmac.h"
#include "crypto/sha.h"

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
  plain->resize(ciphertext.size() + kIvSize);
  size_t plain_size = 0;
  bool ok =
      AesCbcDecrypt({key, BitwardenKeys::kSize}, iv.data(), ciphertext,
                    {reinterpret_cast<uint8_t*>(plain->data()), plain->size()}, &plain_size) == AesCbcOpen::kOpened;
  plain->resize(plain_size);
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
  uint8_t expected[kMacSize];
  HmacSha256({keys.mac, BitwardenKeys::kSize}, {iv, ciphertext}, expected);
  if (!SameDigest(expected, mac)) return CipherStringResult::kMacMismatch;
  return Decrypt(iv, ciphertext, keys.enc, plain) ? CipherStringResult::kOpened : CipherStringResult::kMalformed;
}
