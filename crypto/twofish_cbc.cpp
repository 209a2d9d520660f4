#include "crypto/twofish_cbc.h"

#include <gcrypt.h>

#include <algorithm>

namespace {

bool InitGcrypt() {
  static const bool ready = [] {
    if (gcry_check_version(GCRYPT_VERSION) == nullptr) return false;
    // Another library in the process (libsecret) may have set it up first.
    if (gcry_control(GCRYCTL_INITIALIZATION_FINISHED_P) == 0) {
      // Its secure memory would be one more pool to lock; the only secret
      // it holds for us is a key schedule, wiped when the handle closes.
      gcry_control(GCRYCTL_DISABLE_SECMEM, 0);
      gcry_control(GCRYCTL_INITIALIZATION_FINISHED, 0);
    }
    return true;
  }();
  return ready;
}

// A CBC handle under the key and IV, or null.
gcry_cipher_hd_t Open(const uint8_t key[32], const uint8_t iv[16]) {
  gcry_cipher_hd_t handle = nullptr;
  if (!InitGcrypt() || gcry_cipher_open(&handle, GCRY_CIPHER_TWOFISH, GCRY_CIPHER_MODE_CBC, 0) != 0) return nullptr;
  if (gcry_cipher_setkey(handle, key, 32) != 0 || gcry_cipher_setiv(handle, iv, kTwofishBlockSize) != 0) {
    gcry_cipher_close(handle);
    return nullptr;
  }
  return handle;
}

}  // namespace

size_t TwofishCbcPaddedSize(size_t plain_size) { return (plain_size / kTwofishBlockSize + 1) * kTwofishBlockSize; }

bool TwofishCbcEncrypt(const uint8_t key[32], const uint8_t iv[16], std::span<const uint8_t> in,
                       std::span<uint8_t> out) {
  if (out.size() != TwofishCbcPaddedSize(in.size())) return false;
  gcry_cipher_hd_t handle = Open(key, iv);
  if (handle == nullptr) return false;
  std::copy(in.begin(), in.end(), out.begin());
  std::fill(out.begin() + static_cast<ptrdiff_t>(in.size()), out.end(), static_cast<uint8_t>(out.size() - in.size()));
  bool ok = gcry_cipher_encrypt(handle, out.data(), out.size(), nullptr, 0) == 0;
  gcry_cipher_close(handle);
  return ok;
}

bool TwofishCbcDecrypt(const uint8_t key[32], const uint8_t iv[16], std::span<const uint8_t> in, std::span<uint8_t> out,
                       size_t* plain_size) {
  if (in.empty() || in.size() % kTwofishBlockSize != 0 || out.size() != in.size()) return false;
  gcry_cipher_hd_t handle = Open(key, iv);
  if (handle == nullptr) return false;
  bool ok = gcry_cipher_decrypt(handle, out.data(), out.size(), in.data(), in.size()) == 0;
  gcry_cipher_close(handle);
  if (!ok) return false;
  uint8_t padding = out.back();
  if (padding == 0 || padding > kTwofishBlockSize) return false;
  for (size_t i = out.size() - padding; i < out.size(); ++i) {
    if (out[i] != padding) return false;
  }
  *plain_size = out.size() - padding;
  return true;
}
