#include "secret_service/secret_session.h"

#include <openssl/bn.h>
#include <openssl/core_names.h>
#include <openssl/evp.h>
#include <openssl/kdf.h>
#include <openssl/rand.h>
#include <string.h>

#include <array>

namespace {

constexpr size_t kGroupBytes = 128;  // the 1024-bit prime
constexpr size_t kAesKeyBytes = 16;
constexpr size_t kAesBlockBytes = 16;
// A secret far beyond any password or token a program keeps.
constexpr size_t kMaxSealedBytes = size_t{1} << 20;

struct BnCtxFree {
  void operator()(BN_CTX* ctx) const { BN_CTX_free(ctx); }
};
struct CipherCtxFree {
  void operator()(EVP_CIPHER_CTX* ctx) const { EVP_CIPHER_CTX_free(ctx); }
};

// The shared value both sides feed to HKDF: padded to the group's size, as
// libsecret and gnome-keyring do.
bool Exchange(std::span<const uint8_t> client_input, std::vector<uint8_t>* our_output,
              std::array<uint8_t, kGroupBytes>* shared, SessionFault* fault) {
  std::unique_ptr<BN_CTX, BnCtxFree> ctx(BN_CTX_secure_new());
  if (ctx == nullptr) return false;
  BN_CTX_start(ctx.get());
  BIGNUM* prime = BN_CTX_get(ctx.get());
  BIGNUM* limit = BN_CTX_get(ctx.get());
  BIGNUM* theirs = BN_CTX_get(ctx.get());
  BIGNUM* secret = BN_CTX_get(ctx.get());
  BIGNUM* ours = BN_CTX_get(ctx.get());
  BIGNUM* agreed = BN_CTX_get(ctx.get());
  bool done = false;
  if (agreed != nullptr && BN_get_rfc2409_prime_1024(prime) != nullptr && BN_copy(limit, prime) != nullptr &&
      BN_sub_word(limit, 1) && BN_bin2bn(client_input.data(), static_cast<int>(client_input.size()), theirs)) {
    // 1 and p-1 (and anything outside the group) would give away the key.
    if (BN_cmp(theirs, BN_value_one()) <= 0 || BN_cmp(theirs, limit) >= 0) {
      *fault = SessionFault::kBadInput;
    } else {
      BIGNUM* two = ours;
      BN_set_flags(secret, BN_FLG_CONSTTIME);
      done = BN_priv_rand_range(secret, limit) && BN_add_word(secret, 1) && BN_set_word(two, 2) &&
             BN_mod_exp_mont_consttime(ours, two, secret, prime, ctx.get(), nullptr) &&
             BN_mod_exp_mont_consttime(agreed, theirs, secret, prime, ctx.get(), nullptr) &&
             BN_bn2binpad(agreed, shared->data(), kGroupBytes) == static_cast<int>(kGroupBytes);
      if (done) {
        our_output->resize(kGroupBytes);
        done = BN_bn2binpad(ours, our_output->data(), kGroupBytes) == static_cast<int>(kGroupBytes);
      }
    }
  }
  // BN_CTX_secure_new's numbers are cleared as the context ends.
  BN_CTX_end(ctx.get());
  return done;
}

bool DeriveKey(std::span<const uint8_t> shared, GuardedBytes* key) {
  EVP_KDF* kdf = EVP_KDF_fetch(nullptr, "HKDF", nullptr);
  if (kdf == nullptr) return false;
  EVP_KDF_CTX* ctx = EVP_KDF_CTX_new(kdf);
  EVP_KDF_free(kdf);
  if (ctx == nullptr) return false;
  char digest[] = "SHA256";
  OSSL_PARAM params[] = {
      OSSL_PARAM_construct_utf8_string(OSSL_KDF_PARAM_DIGEST, digest, 0),
      OSSL_PARAM_construct_octet_string(OSSL_KDF_PARAM_KEY, const_cast<uint8_t*>(shared.data()), shared.size()),
      OSSL_PARAM_construct_octet_string(OSSL_KDF_PARAM_INFO, const_cast<char*>(""), 0),
      OSSL_PARAM_construct_end(),
  };
  bool done = key->Allocate(kAesKeyBytes) && EVP_KDF_derive(ctx, key->Data(), kAesKeyBytes, params) == 1;
  EVP_KDF_CTX_free(ctx);
  if (!done) key->Release();
  return done;
}

}  // namespace

std::unique_ptr<SecretSession> SecretSession::Open(std::string_view algorithm, std::span<const uint8_t> client_input,
                                                   std::vector<uint8_t>* our_output, SessionFault* fault) {
  *fault = SessionFault::kNone;
  our_output->clear();
  auto session = std::unique_ptr<SecretSession>(new SecretSession);
  if (algorithm == kPlainAlgorithm) return session;
  if (algorithm != kDhAesAlgorithm) {
    *fault = SessionFault::kUnsupportedAlgorithm;
    return nullptr;
  }
  if (client_input.empty() || client_input.size() > 2 * kGroupBytes) {
    *fault = SessionFault::kBadInput;
    return nullptr;
  }
  std::array<uint8_t, kGroupBytes> shared;
  bool done = Exchange(client_input, our_output, &shared, fault) && DeriveKey(shared, &session->key_);
  OPENSSL_cleanse(shared.data(), shared.size());
  if (done) return session;
  if (*fault == SessionFault::kNone) *fault = SessionFault::kNoMemory;
  our_output->clear();
  return nullptr;
}

bool SecretSession::Seal(std::string_view secret, SealedSecret* sealed) const {
  sealed->parameters.clear();
  sealed->value.clear();
  if (!IsEncrypted()) {
    sealed->value.assign(secret.begin(), secret.end());
    return true;
  }
  std::unique_ptr<EVP_CIPHER_CTX, CipherCtxFree> ctx(EVP_CIPHER_CTX_new());
  sealed->parameters.resize(kAesBlockBytes);
  sealed->value.resize(secret.size() + kAesBlockBytes);
  int written = 0;
  int last = 0;
  bool done = ctx != nullptr && RAND_bytes(sealed->parameters.data(), kAesBlockBytes) == 1 &&
              EVP_EncryptInit_ex(ctx.get(), EVP_aes_128_cbc(), nullptr, key_.Data(), sealed->parameters.data()) &&
              EVP_EncryptUpdate(ctx.get(), sealed->value.data(), &written,
                                reinterpret_cast<const uint8_t*>(secret.data()), static_cast<int>(secret.size())) &&
              EVP_EncryptFinal_ex(ctx.get(), sealed->value.data() + written, &last);
  sealed->value.resize(done ? static_cast<size_t>(written + last) : 0);
  return done;
}

SessionFault SecretSession::Unseal(std::span<const uint8_t> parameters, std::span<const uint8_t> value,
                                   SecretText* secret) const {
  if (value.size() > kMaxSealedBytes) return SessionFault::kBadInput;
  if (!IsEncrypted()) {
    if (!parameters.empty()) return SessionFault::kBadInput;
    *secret = std::string_view(reinterpret_cast<const char*>(value.data()), value.size());
    return SessionFault::kNone;
  }
  if (parameters.size() != kAesBlockBytes || value.empty() || value.size() % kAesBlockBytes != 0) {
    return SessionFault::kBadInput;
  }
  std::unique_ptr<EVP_CIPHER_CTX, CipherCtxFree> ctx(EVP_CIPHER_CTX_new());
  std::vector<uint8_t, WipingAllocator<uint8_t>> plain(value.size());
  int written = 0;
  int last = 0;
  if (ctx == nullptr || !EVP_DecryptInit_ex(ctx.get(), EVP_aes_128_cbc(), nullptr, key_.Data(), parameters.data()) ||
      !EVP_DecryptUpdate(ctx.get(), plain.data(), &written, value.data(), static_cast<int>(value.size()))) {
    return SessionFault::kNoMemory;
  }
  if (!EVP_DecryptFinal_ex(ctx.get(), plain.data() + written, &last)) return SessionFault::kBadInput;
  *secret = std::string_view(reinterpret_cast<const char*>(plain.data()), static_cast<size_t>(written + last));
  return SessionFault::kNone;
}
