#include "crypto/cpu_features.h"

#include <atomic>

namespace {

std::atomic<bool> portableForced{false};

bool Supports(bool (*probe)()) { return !portableForced.load(std::memory_order_relaxed) && probe(); }

#if defined(__x86_64__) || defined(__i386__)
bool ProbeAesNi() {
  static const bool present = __builtin_cpu_supports("aes") && __builtin_cpu_supports("ssse3");
  return present;
}

bool ProbeCarrylessMultiply() {
  static const bool present = __builtin_cpu_supports("pclmul") && __builtin_cpu_supports("sse4.1");
  return present;
}
#else
bool ProbeAesNi() { return false; }
bool ProbeCarrylessMultiply() { return false; }
#endif

}  // namespace

bool AesNiAvailable() { return Supports(ProbeAesNi); }

bool CarrylessMultiplyAvailable() { return Supports(ProbeCarrylessMultiply); }

void ForcePortableCrypto(bool force) { portableForced.store(force, std::memory_order_relaxed); }

bool PortableCryptoForced() { return portableForced.load(std::memory_order_relaxed); }
