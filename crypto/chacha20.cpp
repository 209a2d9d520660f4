#include "crypto/chacha20.h"

#include <openssl/crypto.h>
#include <openssl/evp.h>
#include <string.h>

#include <algorithm>
#include <climits>

namespace {

EVP_CIPHER_CTX* Context(void* context) { return static_cast<EVP_CIPHER_CTX*>(context); }

}  // namespace

ChaCha20Stream::~ChaCha20Stream() { EVP_CIPHER_CTX_free(Context(context_)); }

bool ChaCha20Stream::Start(const uint8_t key[32], const uint8_t nonce[12]) {
  EVP_CIPHER_CTX_free(Context(context_));
  uint8_t iv[16] = {};
  memcpy(iv + 4, nonce, 12);  // OpenSSL's block counter (0), then the nonce
  context_ = EVP_CIPHER_CTX_new();
  bool ok = context_ != nullptr && EVP_EncryptInit_ex(Context(context_), EVP_chacha20(), nullptr, key, iv) == 1;
  OPENSSL_cleanse(iv, sizeof iv);
  return ok;
}

void ChaCha20Stream::Apply(std::span<const uint8_t> in, uint8_t* out) {
  for (size_t done = 0; done < in.size();) {
    int piece = static_cast<int>(std::min<size_t>(in.size() - done, INT_MAX / 2));
    int length = 0;
    EVP_EncryptUpdate(Context(context_), out + done, &length, in.data() + done, piece);
    done += static_cast<size_t>(piece);
  }
}
