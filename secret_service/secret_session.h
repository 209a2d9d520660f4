#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/secret_text.h"
#include "crypto/guarded_bytes.h"

inline constexpr char kPlainAlgorithm[] = "plain";
inline constexpr char kDhAesAlgorithm[] = "dh-ietf1024-sha256-aes128-cbc-pkcs7";

// Why a session could not be opened or a secret not be read from a client.
enum class SessionFault { kNone, kUnsupportedAlgorithm, kBadInput, kNoMemory };

// A secret as it crosses the bus: the algorithm's parameters (the IV) and
// the value (the ciphertext, or the text itself for "plain").
struct SealedSecret {
  std::vector<uint8_t> parameters;
  std::vector<uint8_t, WipingAllocator<uint8_t>> value;
};

// How secrets cross the bus between a client and us: in the clear, or under
// an AES-128 key both sides derive from a Diffie-Hellman exchange in the
// 1024-bit group of RFC 2409 (HKDF-SHA256, no salt, no info).
class SecretSession {
 public:
  // The client's half of the exchange comes in client_input (big-endian;
  // empty for "plain"); ours goes out in our_output.
  static std::unique_ptr<SecretSession> Open(std::string_view algorithm, std::span<const uint8_t> client_input,
                                             std::vector<uint8_t>* our_output, SessionFault* fault);

  bool IsEncrypted() const { return !key_.IsEmpty(); }
  bool Seal(std::string_view secret, SealedSecret* sealed) const;
  // kBadInput for a wrong IV, padding or length: a client's fault.
  SessionFault Unseal(std::span<const uint8_t> parameters, std::span<const uint8_t> value, SecretText* secret) const;

 private:
  GuardedBytes key_;  // empty: plain
};
