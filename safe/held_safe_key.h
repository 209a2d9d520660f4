#pragma once

#include <cstdint>

#include "crypto/guarded_bytes.h"
#include "crypto/sealed_bytes.h"
#include "safe/strong_format.h"

// What saving an open safe needs instead of re-reading its password, held
// in guarded memory (locked, fenced, wiped when released):
// - strong: the 32-byte Argon2id key with the parameters and salt it was
//   derived for, so a save costs one encryption and no key derivation;
// - legacy: the password itself, as its key costs microseconds to derive
//   and an upgrade derives the strong key from it.
// Move-only; Wipe (or destruction) forgets everything.
class HeldSafeKey {
 public:
  HeldSafeKey() = default;
  HeldSafeKey(HeldSafeKey&&) noexcept = default;
  HeldSafeKey& operator=(HeldSafeKey&&) noexcept = default;
  HeldSafeKey(const HeldSafeKey&) = delete;
  HeldSafeKey& operator=(const HeldSafeKey&) = delete;

  bool HoldLegacyPassword(const char* password);
  // Argon2id over the password with this salt: slow by design. False when
  // the parameters are refused or the memory cannot be had.
  bool DeriveStrong(const char* password, const StrongSafeParams& params, const uint8_t salt[kStrongSaltSize]);
  // The same with a new random salt, for a password being set.
  bool DeriveStrongWithNewSalt(const char* password, const StrongSafeParams& params);
  // A copy with guarded memory of its own.
  bool CopyFrom(const HeldSafeKey& other);
  void Wipe();

  bool IsHeld() const { return !secret_.IsEmpty(); }
  SafeFormat GetFormat() const { return format_; }
  // Strong keys only.
  const StrongSafeParams& GetParams() const { return params_; }
  const uint8_t* GetSalt() const { return salt_; }
  const uint8_t* GetStrongKey() const;
  // Whether a strong file with this header was sealed under this key.
  bool IsKeyFor(const StrongSafeHeader& header) const;
  // Legacy keys only; null otherwise.
  const char* GetLegacyPassword() const;
  // A key for purpose (crypto/sealed_bytes.h) derived from the held one (a
  // legacy safe's password), which the same log-in derives again; false
  // when nothing is held.
  bool DeriveSubkey(const uint8_t salt[kSealSaltSize], const char* purpose, uint8_t key[kSealKeySize]) const;

 private:
  SafeFormat format_ = SafeFormat::kLegacy;
  StrongSafeParams params_{};
  uint8_t salt_[kStrongSaltSize] = {};
  GuardedBytes secret_;
};
