#include "secret_service/secret_session.h"

#include <string.h>

#include <array>

#include "crypto/aes_cbc.h"
#include "crypto/dh_group2.h"
#include "crypto/hkdf.h"
#include "crypto/sealed_bytes.h"

namespace {

constexpr size_t kGroupBytes = kDhGroup2Size;
constexpr size_t kAesKeyBytes = 16;
constexpr size_t kAesBlockBytes = 16;
// A secret far beyond any password or token a program keeps.
constexpr size_t kMaxSealedBytes = size_t{1} << 20;

// The shared value both sides feed to HKDF: padded to the group's size, as
// libsecret and gnome-keyring do.
bool Exchange(std::span<const uint8_t> client_input, std::vector<uint8_t>* our_output,
              std::array<uint8_t, kGroupBytes>* shared, SessionFault* fault) {
  uint8_t ours[kGroupBytes];
  DhAgreement agreement = AgreeDhGroup2(client_input, ours, shared->data());
  if (agreement == DhAgreement::kOutOfRange) *fault = SessionFault::kBadInput;
  if (agreement != DhAgreement::kAgreed) return false;
  our_output->assign(ours, ours + kGroupBytes);
  return true;
}

bool DeriveKey(std::span<const uint8_t> shared, GuardedBytes* key) {
  bool done = key->Allocate(kAesKeyBytes) && HkdfSha256(shared, {}, {}, {key->Data(), kAesKeyBytes});
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
  explicit_bzero(shared.data(), shared.size());
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
  sealed->parameters.resize(kAesBlockBytes);
  sealed->value.resize(AesCbcPaddedSize(secret.size()));
  bool done = FillRandom(sealed->parameters.data(), kAesBlockBytes) &&
              AesCbcEncrypt({key_.Data(), key_.Size()}, sealed->parameters.data(),
                            {reinterpret_cast<const uint8_t*>(secret.data()), secret.size()}, sealed->value);
  if (!done) sealed->value.clear();
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
  std::vector<uint8_t, WipingAllocator<uint8_t>> plain(value.size());
  size_t plain_size = 0;
  switch (AesCbcDecrypt({key_.Data(), key_.Size()}, parameters.data(), value, plain, &plain_size)) {
    case AesCbcOpen::kOpened:
      break;
    case AesCbcOpen::kBadPadding:
      return SessionFault::kBadInput;
    case AesCbcOpen::kFailed:
      return SessionFault::kNoMemory;
  }
  *secret = std::string_view(reinterpret_cast<const char*>(plain.data()), plain_size);
  return SessionFault::kNone;
}
