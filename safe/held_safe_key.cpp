#include "safe/held_safe_key.h"

#include <sodium.h>

#include <cstring>

#include "crypto/argon2id.h"
#include "crypto/sodium_init.h"

static_assert(kStrongSaltSize == kArgon2idSaltSize);

bool HeldSafeKey::HoldLegacyPassword(const char* password) {
  Wipe();
  size_t size = std::strlen(password) + 1;
  if (!secret_.Allocate(size)) return false;
  std::memcpy(secret_.Data(), password, size);
  format_ = SafeFormat::kLegacy;
  return true;
}

bool HeldSafeKey::DeriveStrong(const char* password, const StrongSafeParams& params,
                               const uint8_t salt[kStrongSaltSize]) {
  Wipe();
  if (!AreStrongParamsAllowed(params) || !secret_.Allocate(kStrongKeySize)) return false;
  if (!DeriveArgon2idKey(password, std::strlen(password), salt, params.iterations, params.memoryKiB, secret_.Data(),
                         kStrongKeySize)) {
    secret_.Release();
    return false;
  }
  format_ = SafeFormat::kStrong;
  params_ = params;
  std::memcpy(salt_, salt, kStrongSaltSize);
  return true;
}

bool HeldSafeKey::DeriveStrongWithNewSalt(const char* password, const StrongSafeParams& params) {
  if (!InitSodium()) return false;
  uint8_t salt[kStrongSaltSize];
  randombytes_buf(salt, sizeof salt);
  return DeriveStrong(password, params, salt);
}

bool HeldSafeKey::CopyFrom(const HeldSafeKey& other) {
  Wipe();
  if (!other.IsHeld() || !secret_.Allocate(other.secret_.Size())) return false;
  std::memcpy(secret_.Data(), other.secret_.Data(), other.secret_.Size());
  format_ = other.format_;
  params_ = other.params_;
  std::memcpy(salt_, other.salt_, kStrongSaltSize);
  return true;
}

void HeldSafeKey::Wipe() {
  secret_.Release();
  format_ = SafeFormat::kLegacy;
  params_ = {};
  std::memset(salt_, 0, sizeof salt_);
}

const uint8_t* HeldSafeKey::GetStrongKey() const {
  return IsHeld() && format_ == SafeFormat::kStrong ? secret_.Data() : nullptr;
}

bool HeldSafeKey::IsKeyFor(const StrongSafeHeader& header) const {
  return GetStrongKey() != nullptr && header.params == params_ && std::memcmp(header.salt, salt_, kStrongSaltSize) == 0;
}

const char* HeldSafeKey::GetLegacyPassword() const {
  return IsHeld() && format_ == SafeFormat::kLegacy ? reinterpret_cast<const char*>(secret_.Data()) : nullptr;
}

bool HeldSafeKey::DeriveSubkey(const uint8_t salt[kSealSaltSize], const char* purpose,
                               uint8_t key[kSealKeySize]) const {
  if (!IsHeld()) return false;
  // A legacy password is held with its NUL, which is not part of it.
  const size_t size = format_ == SafeFormat::kStrong ? secret_.Size() : std::strlen(GetLegacyPassword());
  return DeriveSealKey(secret_.Data(), size, salt, purpose, key);
}
