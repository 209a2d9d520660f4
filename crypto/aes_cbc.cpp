#include "crypto/aes_cbc.h"

#include <openssl/crypto.h>
#include <openssl/evp.h>

#include <algorithm>
#include <climits>

namespace {

constexpr size_t kBlockSize = 16;

const EVP_CIPHER* CipherFor(size_t key_size) {
  if (key_size == 16) return EVP_aes_128_cbc();
  if (key_size == 32) return EVP_aes_256_cbc();
  return nullptr;
}

// One pass over the whole of in, in pieces an int can count; the last
// step alone checks the padding.
AesCbcOpen Run(bool encrypt, std::span<const uint8_t> key, const uint8_t iv[16], std::span<const uint8_t> in,
               uint8_t* out, size_t* written) {
  const EVP_CIPHER* cipher = CipherFor(key.size());
  EVP_CIPHER_CTX* context = cipher != nullptr ? EVP_CIPHER_CTX_new() : nullptr;
  bool ok = context != nullptr && EVP_CipherInit_ex(context, cipher, nullptr, key.data(), iv, encrypt) == 1;
  *written = 0;
  for (size_t done = 0; ok && done < in.size();) {
    int piece = static_cast<int>(std::min<size_t>(in.size() - done, INT_MAX / 2));
    int length = 0;
    ok = EVP_CipherUpdate(context, out + *written, &length, in.data() + done, piece) == 1;
    done += static_cast<size_t>(piece);
    *written += static_cast<size_t>(length);
  }
  int length = 0;
  AesCbcOpen result = !ok                                                         ? AesCbcOpen::kFailed
                      : EVP_CipherFinal_ex(context, out + *written, &length) != 1 ? AesCbcOpen::kBadPadding
                                                                                  : AesCbcOpen::kOpened;
  *written += static_cast<size_t>(length);
  EVP_CIPHER_CTX_free(context);  // wipes the expanded key
  return result;
}

}  // namespace

size_t AesCbcPaddedSize(size_t plain_size) { return (plain_size / kBlockSize + 1) * kBlockSize; }

bool AesCbcEncrypt(std::span<const uint8_t> key, const uint8_t iv[16], std::span<const uint8_t> in,
                   std::span<uint8_t> out) {
  size_t written = 0;
  return out.size() >= AesCbcPaddedSize(in.size()) &&
         Run(true, key, iv, in, out.data(), &written) == AesCbcOpen::kOpened;
}

AesCbcOpen AesCbcDecrypt(std::span<const uint8_t> key, const uint8_t iv[16], std::span<const uint8_t> in,
                         std::span<uint8_t> out, size_t* plain_size) {
  *plain_size = 0;
  if (out.size() < in.size()) return AesCbcOpen::kFailed;
  size_t written = 0;
  AesCbcOpen result = Run(false, key, iv, in, out.data(), &written);
  if (result == AesCbcOpen::kOpened) {
    *plain_size = written;
  } else {
    OPENSSL_cleanse(out.data(), out.size());
  }
  return result;
}
